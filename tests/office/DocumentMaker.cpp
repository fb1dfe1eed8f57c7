// Makes the office tests' documents with the real office: converts a document to another
// format, optionally making a sheet the active one or protecting the result with a password
// read from standard input (never from the command line).
//
//   corvanta-office-document-maker --office <soffice> --profile <folder> --in <file>
//       --out <file> --filter <office filter name> [--active-sheet <name>] < password
#include "office/worker/OfficeConnection.h"
#include "office/worker/UnoText.h"
#include "platform/process/QtProcessLauncher.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <QUrl>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <iostream>
#include <vector>

using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

namespace {

css::beans::PropertyValue property(const char* name, const css::uno::Any& value)
{
    css::beans::PropertyValue result;
    result.Name = rtl::OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

css::uno::Sequence<css::beans::PropertyValue>
sequenceOf(const std::vector<css::beans::PropertyValue>& list)
{
    return css::uno::Sequence<css::beans::PropertyValue>(list.data(), sal_Int32(list.size()));
}

rtl::OUString urlOf(const QString& path)
{
    return toUno(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
}

QString option(const QStringList& arguments, const QString& name)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

void activateSheet(const Reference<css::lang::XComponent>& document, const QString& name)
{
    const Reference<css::frame::XModel> model(document, UNO_QUERY_THROW);
    const Reference<css::sheet::XSpreadsheetView> view(model->getCurrentController(),
                                                       UNO_QUERY_THROW);
    const Reference<css::sheet::XSpreadsheetDocument> workbook(document, UNO_QUERY_THROW);
    const Reference<css::sheet::XSpreadsheet> sheet(workbook->getSheets()->getByName(toUno(name)),
                                                    UNO_QUERY_THROW);
    view->setActiveSheet(sheet);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString input = option(arguments, "--in");
    const QString output = option(arguments, "--out");
    const QString filter = option(arguments, "--filter");
    const QString activeSheet = option(arguments, "--active-sheet");
    const QString password = QTextStream(stdin).readLine();

    QtProcessLauncher processes;
    OfficeConnection office(processes, option(arguments, "--office"),
                            option(arguments, "--profile"));
    try {
        const auto desktop = office.desktop();
        const Reference<css::lang::XComponent> document = desktop->loadComponentFromURL(
            urlOf(input), "_blank", 0, sequenceOf({property("Hidden", css::uno::Any(true))}));
        if (!document.is())
            throw std::runtime_error("could not load " + input.toStdString());
        if (!activeSheet.isEmpty())
            activateSheet(document, activeSheet);
        std::vector<css::beans::PropertyValue> store{
            property("FilterName", css::uno::Any(toUno(filter))),
            property("Overwrite", css::uno::Any(true)),
        };
        if (!password.isEmpty())
            store.push_back(property("Password", css::uno::Any(toUno(password))));
        Reference<css::frame::XStorable>(document, UNO_QUERY_THROW)
            ->storeToURL(urlOf(output), sequenceOf(store));
        Reference<css::util::XCloseable>(document, UNO_QUERY_THROW)->close(true);
    } catch (const css::uno::Exception& error) {
        std::cerr << "document maker: " << fromUno(error.Message).toStdString() << '\n';
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "document maker: " << error.what() << '\n';
        return 1;
    }
    office.shutdown();
    return 0;
}
