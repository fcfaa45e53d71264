#pragma once

#include <qpdf/QPDF.hh>

#include <string>
#include <vector>

namespace qf {

// An appearance drawn anew, and the font its field's default appearance sets its text in.
struct DrawnAppearance {
    QPDFObjectHandle appearance;
    std::string font; // its resource name, "/Helv"; empty when the field names none
};

// The font resource name a default appearance (/DA) sets: "/Helv" of "/Helv 12 Tf 0 g".
std::string DefaultAppearanceFont(const std::string &appearance);

// Makes the appearances of a source's fields when its form asks viewers to draw them anew
// (/NeedAppearances), so that the book need not ask it of every source's fields. qpdf draws a
// field's text; each drawn anew also gets the background and border its widget asks for, as a
// viewer draws them. The appearances drawn, each once.
std::vector<DrawnAppearance> MakeFieldAppearances(QPDF &source);

} // namespace qf
