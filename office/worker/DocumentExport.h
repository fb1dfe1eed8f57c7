#pragma once

#include "office/OfficeProtocol.h"

#include <QString>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <stdexcept>

// A document that could not be laid out, and why.
class ExportFailure : public std::runtime_error
{
public:
    ExportFailure(OfficeFailure failure, const QString& detail)
        : std::runtime_error(detail.toStdString()), m_failure(failure)
    {
    }
    OfficeFailure failure() const { return m_failure; }

private:
    OfficeFailure m_failure;
};

// Lays out `document` as the PDF file `pdf`: opened hidden and read-only with nobody to answer
// questions, printed whole (a workbook's every sheet, its active sheet in landscape on the
// workbook route), closed without saving. Throws ExportFailure; a UNO RuntimeException means the
// office itself failed.
void ExportDocumentToPdf(const css::uno::Reference<css::frame::XDesktop2>& desktop, Route route,
                         const QString& document, const QString& pdf);
