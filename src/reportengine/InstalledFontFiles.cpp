// The installed font files, as the platform lists them.
#include "reportengine/InstalledFontFiles.h"

#include <QFile>

#if defined(TABEL_HAVE_FONTCONFIG)
#include <fontconfig/fontconfig.h>

QString installedFaceFile(const QString& familyName, int weight, bool upright) {
    const QByteArray family = familyName.toUtf8();
    const int fcWeight = FcWeightFromOpenType(weight);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FONTFORMAT, FC_WEIGHT, FC_SLANT, nullptr);
    FcFontSet* faces = FcFontList(nullptr, pattern, objects);
    QString file;
    for (int i = 0; faces && i < faces->nfont && file.isEmpty(); ++i) {
        FcPattern* face = faces->fonts[i];
        FcChar8* format = nullptr;
        FcChar8* path = nullptr;
        int index = 0, faceWeight = 0, slant = 0;
        if (FcPatternGetString(face, FC_FONTFORMAT, 0, &format) != FcResultMatch ||
            FcPatternGetString(face, FC_FILE, 0, &path) != FcResultMatch ||
            FcPatternGetInteger(face, FC_WEIGHT, 0, &faceWeight) != FcResultMatch ||
            FcPatternGetInteger(face, FC_SLANT, 0, &slant) != FcResultMatch)
            continue;
        FcPatternGetInteger(face, FC_INDEX, 0, &index);
        const QByteArrayView kind(reinterpret_cast<const char*>(format));
        if ((kind == "TrueType" || kind == "CFF") && index == 0 && faceWeight == fcWeight &&
            (slant == FC_SLANT_ROMAN) == upright)
            file = QFile::decodeName(reinterpret_cast<const char*>(path));
    }
    if (faces)
        FcFontSetDestroy(faces);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return file;
}

#else

QString installedFaceFile(const QString&, int, bool) {
    return {};
}

#endif
