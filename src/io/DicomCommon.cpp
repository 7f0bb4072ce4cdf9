#include "io/DicomCommon.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcrledrg.h>
#include <dcmtk/dcmjpeg/djdecode.h>
#include <dcmtk/dcmjpls/djdecode.h>
#include <dcmtk/oflog/oflog.h>

#include <charconv>
#include <mutex>

namespace lumo::io::detail {

void initDcmtk() {
  static std::once_flag once;
  std::call_once(once, [] {
    OFLog::configure(OFLogger::OFF_LOG_LEVEL);
    DcmRLEDecoderRegistration::registerCodecs();
    DJDecoderRegistration::registerCodecs();
    DJLSDecoderRegistration::registerCodecs();
  });
}

std::string decimal(double value) {
  // The most significant digits that fit DS's 16 characters, sign and exponent included.
  // to_chars writes a point under every locale (the program runs under the user's).
  char text[64];
  for (int digits = 12; digits >= 1; --digits) {
    auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    if (ec == std::errc() && end - text <= 16) return std::string(text, end);
  }
  return "0";
}

}  // namespace lumo::io::detail
