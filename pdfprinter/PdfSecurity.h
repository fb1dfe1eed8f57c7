#pragma once

#include "conversion/PdfToolkit.h"
#include "pdfprinter/OutputOptions.h"

class QPDFWriter;

// Sets the writer's encryption: AES-256 (R6) with the user password as UTF-8, so every
// character of it counts in any script; AES-256 with an empty user password when only
// permissions are withheld; none when nothing is asked. The owner password is random and never
// kept, so no one can lift the restrictions. Throws when a password is asked for but empty.
void ApplySecurity(QPDFWriter& writer, const PdfProtection& protection);

// The same for a job's PDF from the profile's options: the password counts at "Level" 2.
void ApplySecurity(QPDFWriter& writer, const OutputOptions& options);
