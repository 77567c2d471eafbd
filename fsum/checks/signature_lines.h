// A check's signature lines at the report's top, in the colour of each
// verdict: good green, BAD red, the others (not trusted, not accepted, not
// checked) yellow.
#pragma once

#include <vector>

#include "cli/report.h"
#include "signatures/signed_list.h"

namespace fsum {

inline Paint PaintOf(SignatureKind kind) {
    if (kind == SignatureKind::Good) return Paint::Good;
    if (kind == SignatureKind::Bad) return Paint::Bad;
    return Paint::Heed;
}

inline void ReportSignatures(Report& report, const std::vector<SignatureLine>& lines) {
    for (const SignatureLine& line : lines) report.Line(VisibleText(line.text), false, PaintOf(line.kind));
}

}  // namespace fsum
