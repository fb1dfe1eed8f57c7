// The interactive dialogs with real Qt dialogs: the file dialog's filters, dismissing a question;
// and the unattended answers.
#include "platform/dialogs/UnattendedDialogs.h"
#include "ui/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QMessageBox>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

struct Listing
{
    QStringList files;
    QString caption;
};

// Once the next file dialog is shown: what it lists in `folder` and the caption of its filter;
// the dialog is then cancelled.
void listWhenShown(const QString& folder, Listing& listing)
{
    QTimer::singleShot(0, [folder, &listing] {
        // Whatever happens here, the dialog must end or the test waits for ever.
        const auto cancel = qScopeGuard([] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible())
                    dialog->reject();
            }
        });
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* model = dialog->findChild<QFileSystemModel*>();
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        auto* filters = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_TRUE(model && view && filters) << "not Qt's own file dialog";
        // Qt's own dialog ignores letter case in patterns; native ones (GTK's) do not. Match as
        // they do, so that what passes here passes there too.
        dialog->setFilter(dialog->filter() | QDir::CaseSensitive);
        // Changing folder after the dialog is shown gives a load to wait for.
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        dialog->setDirectory(folder);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            for (const QList<QVariant>& signal : loaded) {
                if (QDir(signal.at(0).toString()) == QDir(folder))
                    return true;
            }
            return false;
        }));
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row)
            listing.files.append(view->model()->index(row, 0, root).data().toString());
        listing.files.sort();
        listing.caption = filters->currentText();
    });
}

TEST(QtDialogsTest, AFilterMatchesInAnyLetterCaseUnderItsOwnCaption)
{
    QTemporaryDir root;
    const QString folder = root.filePath("docs");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"report.pdf", "REPORT.PDF", "Report.Pdf", "report.pdf.txt", "notes"})
        QFile(folder + "/" + name).open(QIODevice::WriteOnly);

    QtDialogs dialogs;
    Listing shown;
    listWhenShown(folder, shown);
    Dialogs::FileRequest request;
    request.filter = "PDF Files (*.PDF)";
    request.save = true;
    request.folder = root.path();
    EXPECT_TRUE(dialogs.chooseFiles(request).isEmpty());
    EXPECT_EQ(shown.files, (QStringList{"REPORT.PDF", "Report.Pdf", "report.pdf"}));
    EXPECT_EQ(shown.caption, "PDF Files (*.PDF)");
}

TEST(QtDialogsTest, EscapeAndTheCloseBoxAnswerNoWithOrWithoutTheToAllButtons)
{
    enum class Dismiss
    {
        Escape,
        Close
    };
    const struct
    {
        bool offerToAll;
        Dismiss dismiss;
    } cases[] = {{false, Dismiss::Escape},
                 {false, Dismiss::Close},
                 {true, Dismiss::Escape},
                 {true, Dismiss::Close}};
    for (const auto& c : cases) {
        const std::string name = std::string(c.offerToAll ? "four buttons, " : "two buttons, ") +
                                 (c.dismiss == Dismiss::Escape ? "Escape" : "close");
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr) << name;
            if (c.dismiss == Dismiss::Escape)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->close();
            // A box that stays would hold the test for ever: end it with the wrong answer.
            if (box->isVisible()) {
                ADD_FAILURE() << name << ": the question stayed";
                box->button(QMessageBox::Yes)->click();
            }
        });
        QtDialogs dialogs;
        EXPECT_EQ(dialogs.ask("File a.PDF Exists.  Overwrite?", c.offerToAll), Dialogs::Answer::No)
            << name;
    }
}

// A session that ends while a question is open: nobody answers it or any later one.
TEST(QtDialogsTest, DismissAllAnswersTheOpenQuestionNoAndEveryLaterDialogAtOnce)
{
    QtDialogs dialogs;
    QTimer::singleShot(0, [&] { dialogs.dismissAll(); });
    EXPECT_EQ(dialogs.ask("File a.PDF Exists.  Overwrite?", true), Dialogs::Answer::No);

    bool shown = false;
    const auto closeAnyShown = [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            shown = true;
            modal->close();
        }
    };
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, closeAnyShown);
    watcher.start(20);
    dialogs.message("Error opening log file");
    EXPECT_EQ(dialogs.ask("Overwrite?", false), Dialogs::Answer::No);
    EXPECT_TRUE(dialogs.chooseFiles({}).isEmpty());
    EXPECT_EQ(dialogs.browseFolder("Choose", {}), std::nullopt);
    EXPECT_EQ(dialogs.supplyPassword("user"), std::nullopt);
    EXPECT_FALSE(shown);
}

TEST(UnattendedDialogsTest, AnswersYesAndSaysWhetherToAllWasOffered)
{
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    const auto freeText = qScopeGuard([&] { std::free(text); });
    UnattendedDialogs dialogs(out);
    EXPECT_EQ(dialogs.ask("Replace a.PDF?", true), Dialogs::Answer::Yes);
    EXPECT_TRUE(dialogs.confirm("Go on?"));
    std::fclose(out);
    EXPECT_EQ(QString::fromUtf8(text, static_cast<qsizetype>(size)),
              "corvanta: question: Replace a.PDF? (offered Yes, No, Yes to all, No to all; "
              "answered Yes)\n"
              "corvanta: question: Go on? (offered Yes, No; answered Yes)\n");
}

} // namespace
