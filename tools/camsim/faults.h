#pragma once
// How a simulated camera's answers differ from a well-behaved camera's.
//
// A server has one set that every request gets (CameraConfig::faults). A test can also queue sets
// on a running server (CameraServer::QueueFaults): each queued set is taken, in order, by the
// next request that passes the access check and whose path begins with the set's path prefix,
// and replaces the server's own set for that one request. Requests refused with 401 take none.

#include <string>

namespace camsim {

struct Faults {
    // Any answer.
    int status = 0;               // answer this status with a short text instead; 0: the real answer
    std::string location;         // with status: the Location header of that answer (a redirection)
    int delayMs = 0;              // wait this long before the status line
    bool closeBeforeHead = false; // read the request, then close without a byte of answer
    bool headless = false;        // answer a line of text without status line or headers, then close

    // Streams. Picture counts are whole parts sent before the fault acts.
    int closeAfter = -1; // after this many pictures, the next boundary line, then close
    int closeMidPicture =
        -1;              // after this many pictures, the next part's headers and half its picture, then close
    int stallAfter = -1; // after this many pictures, the next boundary line, then nothing (connection kept)
    int junkBytes = 0;   // this many bytes of text before the first boundary
    int headerLength = 0;   // bytes from the start of the boundary to the picture's first byte (at least
                            // the natural length; padded with blanks after "Content-Type:")
    int pictureSize = 0;    // every picture this many bytes: zero bytes after its end marker, or cut short
    bool truncated = false; // every picture cut to half its length
    bool corrupt = false;   // every picture's frame header gives a sample precision of 0, which a decoder
                            // rejects while reading the header
    int contentLength = -1; // the Content-Length every part announces; -1: the true length
    bool grey = false;      // one-component (grey-scale) pictures
    int width = 0;          // pictures this wide whatever the request asks (for odd widths); 0: as asked

    // A frozen camera: after this many pictures, each picture is the last of them again, byte for
    // byte, until CameraServer::Unfreeze; 0: the pictures change.
    int repeatAfter = 0;
    // After the answer's head, this many body bytes, then nothing (connection kept); -1: the stream.
    int silentAfterHead = -1;

    // The stream format of other servers.
    int trailerBytes = 4; // after each picture: 4 (CRLF CRLF) or 2 (CRLF)
    bool chunked = false; // chunked transfer coding instead of a body that ends when the connection closes
    std::string boundary = "myboundary"; // each part's boundary line is "--" and this
    bool boundaryFirst = false; // each part goes out as boundary, headers, picture and one line end, and
                                // nothing more until the next picture; else the next part's boundary
                                // line follows each picture at once
    bool boundaryInType =
        true; // the answer declares the boundary; else Content-Type: application/octet-stream
    bool partContentLength = true; // each part carries a Content-Length header
    bool lfLineEnds = false;       // LF instead of CR LF in the body (boundary lines, headers, trailers)
    int partHeaderBytes = 0;       // extra header lines of this many bytes in all, in each part
    // Each part carries a header line with a 0xFF byte in it.
    bool headerByte = false;
    // Each picture holds the boundary line in a comment segment, and its Content-Length is right.
    bool boundaryInPicture = false;
    // What each part's Content-Length counts after the picture's end marker: nothing, the line end
    // before the boundary, or 2 to 16 bytes of padding (zeros or 0xFF) that come before it.
    enum class CountedTrailer { None, LineEnd, Zeros, Ff };
    CountedTrailer lengthCountsTrailer = CountedTrailer::None;
};

} // namespace camsim
