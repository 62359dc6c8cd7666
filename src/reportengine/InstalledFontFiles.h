// The platform's list of installed font files: where the file of a font face lies. On Linux
// fontconfig answers; elsewhere (a build without fontconfig) nothing is found, and the PDF writer
// embeds the face as Qt loaded it.
#pragma once

#include <QString>

// The OpenType or TrueType file (first face of the file) of the family at this weight (Qt's
// weight, QFont::Weight) and slant; empty when there is none or the platform cannot tell.
QString installedFaceFile(const QString& family, int weight, bool upright);
