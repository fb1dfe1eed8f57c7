#pragma once

// The controls of the Generate PDF page whose states follow the number of documents.
class GeneratePage
{
public:
    virtual ~GeneratePage() = default;

    virtual void setGenerateEnabled(bool enabled) = 0; // "Generate PDF"
    virtual void setCombineEnabled(bool enabled) = 0;  // "Create one PDF file"
    virtual void setCombineChecked(bool checked) = 0;
    virtual void setSeparateChecked(bool checked) = 0; // "Create individual PDF files"
    virtual int selectedRow() const = 0;               // -1 when no row is selected
    virtual void clearPreview() = 0;                   // the Bulk Scan page's picture
};
