#pragma once

#include "platform/pdfprinter/OutputOptions.h"

class QPDFWriter;

// Sets the writer's encryption from the options: AES-256 with the user password at "Level" 2,
// AES-256 with an empty user password when only permissions are withheld, none otherwise.
// The owner password is random and never kept, so no one can lift the restrictions.
void ApplySecurity(QPDFWriter& writer, const OutputOptions& options);
