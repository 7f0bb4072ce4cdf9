#pragma once
// What the DICOM writer and reader share: DCMTK set up once, numbers as DS text.
#include <string>

namespace lumo::io::detail {

// Quiets DCMTK's log (its warnings are no message for a student) and registers the decoders of
// the compressed transfer syntaxes DCMTK can decode (RLE, JPEG, JPEG-LS). Safe to call often.
void initDcmtk();

// A decimal string of at most 16 characters that reads back as close to value as DS allows.
std::string decimal(double value);

}  // namespace lumo::io::detail
