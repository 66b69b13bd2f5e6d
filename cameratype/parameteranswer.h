#pragma once
// The answer of a camera to the parameter query: "name=value" lines, of which five are read.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The camera reports at most this many video sources; a larger count is taken as this one.
inline constexpr int kMaxVideoSources = 64;

struct ParameterAnswer {
    QString model;          // the product short name after "VEXO "; empty for other brands
    QString firmware;       // as reported, for example "2.31"
    QString resolutionList; // "default," and the camera's resolutions
    QString sourceList;     // "default" and ",1", ",2", ... for each video source
    QString ptz;            // as reported, "yes" or "no"
};

// Takes the values from the answer's bytes (text up to the first zero byte, see
// DecodeCameraText). A key that is missing gives an empty value; a value runs from its key's "="
// to the end of its line, without the line end (LF or CR LF).
ParameterAnswer ParseParameterAnswer(const QByteArray& bytes);

// True when all five keys have arrived, each with the line feed that ends its value: nothing
// that could follow changes the answer.
bool HasAllParameters(QByteArrayView bytes);
