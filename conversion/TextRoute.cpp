#include "conversion/TextRoute.h"

#include "common/Progress.h"
#include "conversion/IPrinter.h"
#include "conversion/TextDecoder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace {

// Where a look puts its lines on the page, in device units.
struct Layout
{
    TextFace face;
    int points;
    double margin;    // left and right
    double firstLine; // the top of a page's first line
    double lineStep;  // from one line to the next; 0: the font's own line spacing
    double bottom;    // kept free below the last line
    // Room kept at the right: a proportional face's widths are added up character by character,
    // so kerning is not counted.
    double slack;
    bool rightToLeftAtRight; // a right-to-left line ends at the right margin, not the left
};

// The raw-line look of markup: 18 points, line n at y = 38 n, x = 50.
constexpr Layout kMarkupLayout{TextFace::Proportional, 18, 50, 38, 38, 0, 5, false};
// As a text editor prints: a monospaced face at 10 points, 2 cm margins, about 60 lines of 80
// columns on A4.
constexpr double kTwoCentimetres = 72 * 2 / 2.54;
constexpr Layout kEditorLayout{
    TextFace::Monospaced, 10, kTwoCentimetres, kTwoCentimetres, 0, kTwoCentimetres, 0, true};

constexpr int kTabColumns = 8;
// Characters without width (joiners, marks, hostile filler) still end a line after this many
// UTF-16 units, so no drawn line grows without bound; the page holds far fewer.
constexpr qsizetype kMaxLineUnits = 1000;
constexpr qint64 kChunkBytes = qint64(64) * 1024;
constexpr int kReportEveryMs = 50;
constexpr char32_t kReplacement = QChar::ReplacementCharacter;

// Character widths as the canvas measures them, asked once per character: the font stays the
// same for the whole job.
class CharWidths
{
public:
    explicit CharWidths(const IPrintCanvas& canvas) : m_canvas(canvas) { m_ascii.fill(-1); }

    double of(char32_t character)
    {
        if (character < m_ascii.size()) {
            double& width = m_ascii[character];
            if (width < 0)
                width = measure(character);
            return width;
        }
        const auto known = m_others.constFind(character);
        return known != m_others.cend() ? *known : *m_others.insert(character, measure(character));
    }

private:
    double measure(char32_t character) const
    {
        return m_canvas.textWidth(QString::fromUcs4(&character, 1));
    }

    const IPrintCanvas& m_canvas;
    std::array<double, 128> m_ascii;
    QHash<char32_t, double> m_others;
};

// Puts lines on the pages, one below the other, and reports each page made, and the work in
// between often enough for the window to stay alive. Throws RunStopped when the user stops.
class PageFiller
{
public:
    PageFiller(IPrintCanvas& canvas, const Layout& layout, Progress& progress)
        : m_canvas(canvas), m_progress(progress), m_layout(layout),
          m_step(layout.lineStep > 0 ? layout.lineStep : canvas.lineSpacing()),
          m_lastLineEnd(canvas.pageSize().height() - layout.bottom),
          m_right(canvas.pageSize().width() - layout.margin)
    {
        m_sinceReport.start();
    }

    void place(const QString& text)
    {
        ++m_line;
        if (m_line > 1 && top() + m_step > m_lastLineEnd) {
            if (m_pages >= kMaxTextPages)
                throw TextReadError(QStringLiteral("it would take more than %1 pages")
                                        .arg(kMaxTextPages)
                                        .toStdString());
            m_canvas.newPage();
            ++m_pages;
            m_line = 1;
            report();
        }
        if (!text.isEmpty())
            m_canvas.drawText(left(text), top(), text);
        keepAlive();
    }

    void keepAlive()
    {
        if (m_sinceReport.hasExpired(kReportEveryMs))
            report();
    }

    void report()
    {
        m_sinceReport.restart();
        if (!m_progress.advance(m_pages))
            throw RunStopped();
    }

private:
    double top() const { return m_layout.firstLine + m_step * (m_line - 1); }

    double left(const QString& text) const
    {
        if (!m_layout.rightToLeftAtRight || !text.isRightToLeft())
            return m_layout.margin;
        const double width = m_canvas.textWidth(QStringView(text).trimmed().toString());
        return std::max(m_layout.margin, m_right - width);
    }

    IPrintCanvas& m_canvas;
    Progress& m_progress;
    const Layout& m_layout;
    const double m_step;
    const double m_lastLineEnd;
    const double m_right;
    int m_line = 0;
    int m_pages = 1;
    QElapsedTimer m_sinceReport;
};

// Cuts text into the lines drawn: at each line end, and where a line gets wider than the room
// between the margins, after its last blank or, with none, inside the word. A blank that does
// not fit is the break itself and hangs in the margin (it is not drawn). Only the part of the
// current line not drawn yet is kept.
class LineBreaker
{
public:
    LineBreaker(double room, CharWidths& widths, PageFiller& pages)
        : m_room(room), m_widths(widths), m_pages(pages)
    {
    }

    void add(QStringView text)
    {
        for (const QChar unit : text) {
            if (m_afterReturn) {
                m_afterReturn = false;
                if (unit == u'\n')
                    continue; // CR LF is one line end
            }
            if (m_highSurrogate) {
                const char16_t high = std::exchange(m_highSurrogate, 0);
                if (unit.isLowSurrogate()) {
                    put(QChar::surrogateToUcs4(high, unit.unicode()));
                    continue;
                }
                put(kReplacement);
            }
            switch (unit.unicode()) {
            case u'\r':
                m_afterReturn = true;
                endLine();
                break;
            case u'\n':
                endLine();
                break;
            case u'\t':
                do
                    put(u' ');
                while (m_column % kTabColumns != 0);
                break;
            default:
                // Other control characters (form feeds, escapes, NULs) have no glyph: no box.
                if (unit.unicode() < 0x20 || unit.unicode() == 0x7F)
                    break;
                if (unit.isHighSurrogate())
                    m_highSurrogate = unit.unicode();
                else
                    put(unit.isLowSurrogate() ? kReplacement : char32_t(unit.unicode()));
            }
        }
    }

    // The end of the text: a last line without a line end is still drawn.
    void finish()
    {
        if (std::exchange(m_highSurrogate, 0))
            put(kReplacement);
        if (m_hasContent)
            endLine();
    }

private:
    void put(char32_t character)
    {
        m_hasContent = true;
        ++m_column;
        const bool blank = character == u' ';
        const double width = m_widths.of(character);
        if (m_full) {
            if (blank)
                return;
            drawAll();
        } else if (!m_text.isEmpty() &&
                   (m_width + width > m_room || m_text.size() >= kMaxLineUnits)) {
            if (blank) {
                m_full = true;
                return;
            }
            wrap();
        }
        if (QChar::requiresSurrogates(character)) {
            m_text.append(QChar(QChar::highSurrogate(character)));
            m_text.append(QChar(QChar::lowSurrogate(character)));
        } else {
            m_text.append(QChar(char16_t(character)));
        }
        m_width += width;
        if (blank) {
            m_breakAfter = m_text.size();
            m_widthAtBreak = m_width;
        }
    }

    void wrap()
    {
        if (m_breakAfter == 0) {
            drawAll();
            return;
        }
        m_pages.place(m_text.first(m_breakAfter));
        m_text.remove(0, m_breakAfter);
        m_width -= m_widthAtBreak;
        m_breakAfter = 0;
    }

    void drawAll()
    {
        m_pages.place(m_text);
        m_text.clear();
        m_width = 0;
        m_breakAfter = 0;
        m_full = false;
    }

    void endLine()
    {
        drawAll();
        m_column = 0;
        m_hasContent = false;
    }

    const double m_room;
    CharWidths& m_widths;
    PageFiller& m_pages;
    QString m_text;
    double m_width = 0;
    qsizetype m_breakAfter = 0; // length of m_text up to its last blank, 0 when it has none
    double m_widthAtBreak = 0;
    bool m_full = false; // a blank did not fit: the next character starts a new line
    int m_column = 0;    // in the document's line, for tab stops
    bool m_hasContent = false;
    bool m_afterReturn = false;
    char16_t m_highSurrogate = 0;
};

// Drops the job unless it was ended: whatever stops the printing leaves nothing saved.
class OpenJob
{
public:
    OpenJob(IPrinter& printer, Progress& progress) : m_printer(printer), m_progress(progress) {}
    ~OpenJob()
    {
        if (m_open)
            m_printer.abortDocument();
    }
    OpenJob(const OpenJob&) = delete;
    OpenJob& operator=(const OpenJob&) = delete;

    bool end()
    {
        m_open = false;
        return m_printer.endDocument(m_progress);
    }

private:
    IPrinter& m_printer;
    Progress& m_progress;
    bool m_open = true;
};

} // namespace

TextLook TextLookFor(const QString& path)
{
    return path.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive) ? TextLook::Markup
                                                                      : TextLook::Editor;
}

bool PrintTextDocument(IPrinter& printer, const QString& path, const QString& title, TextLook look,
                       const EncodingDetector* encodings, Progress& progress)
{
    IPrintCanvas* canvas = printer.beginDocument(title);
    if (!canvas)
        return false;
    OpenJob job(printer, progress);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw TextReadError(file.errorString().toStdString());
    const qint64 size = file.isSequential() ? 0 : file.size();

    const Layout& layout = look == TextLook::Markup ? kMarkupLayout : kEditorLayout;
    canvas->setTextFace(layout.face);
    canvas->setFontPointSize(layout.points);
    PageFiller pages(*canvas, layout, progress);
    pages.report();
    CharWidths widths(*canvas);
    LineBreaker lines(canvas->pageSize().width() - 2 * layout.margin - layout.slack, widths, pages);
    ChunkDecoder decoder(encodings);
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);
    qint64 read = 0;
    for (;;) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0 || file.error() != QFileDevice::NoError)
            throw TextReadError(file.errorString().toStdString());
        if (got == 0)
            break;
        read += got;
        lines.add(decoder.decode(QByteArrayView(chunk.constData(), got)));
        pages.keepAlive();
    }
    // Someone else cut the file short while it was read: what was printed is not the document.
    if (read < size)
        throw TextReadError("the file became shorter while it was read");
    lines.add(decoder.finish());
    lines.finish();
    file.close();
    return job.end();
}

RouteResult TextRoute::print(const DocumentSource& document, const QString& title,
                             Progress& progress)
{
    try {
        if (PrintTextDocument(m_printer, document.readable, title, TextLookFor(document.path),
                              m_encodings, progress))
            return RouteResult::printed();
        return RouteResult::notSaved(m_printer.lastFailure());
    } catch (const TextReadError& error) {
        return RouteResult::failed(QString::fromUtf8(error.what()));
    }
}
