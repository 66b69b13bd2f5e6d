#pragma once
// Reading camsim's answers in tests: the parts of a multipart body and the pictures in them.

#include <string>
#include <vector>

// The stretches of a body that begin with "--myboundary", up to the next one or the end. What
// comes before the first boundary is left out.
std::vector<std::string> SplitAtBoundaries(const std::string& body);

// A JPEG decoded with libjpeg: three bytes a pixel for colour, one for grey.
struct DecodedPicture {
    bool ok = false;
    std::string error; // libjpeg's message when decoding failed
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<unsigned char> pixels;

    // The pixel's channels (one for grey).
    std::vector<int> At(int x, int y) const;
};
DecodedPicture DecodeJpeg(const std::string& picture);

// The picture of a part: the Content-Length bytes after the blank line.
std::string PictureOf(const std::string& part);
