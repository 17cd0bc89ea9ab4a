#pragma once
// Lossy LZW: trades exactness for size by letting a string of the LZW table go on where the
// next pixel's colour is close to the colour the string would continue with. The frame's pixels
// become exactly what a decoder of the lossy codes shows, and the codes are handed to the frame
// as its kept image data (TGIFSubImage::adoptEncodedData), which the next write uses while the
// pixels stay as they are. So every output is an ordinary GIF that any decoder reads, the file
// shows what the model holds, and once the pixels are edited the ordinary encoder takes over.
//
// Half of the error each substitution makes is diffused to neighbouring pixels not yet visited,
// so that areas keep their average colour without the error piling up. Transparent pixels and
// pixels outside the colour table are never changed and never stand in for others.
#include <cstdint>

class TGIFImage;
class TGIFSubImage;

// Largest level accepted; at it a string goes on through any colour.
constexpr int GIFMaxLossyLevel = 1000;

// Applies lossy LZW to one frame: a pixel may be replaced by the colour that continues the
// current string when the two are within level (Euclidean distance in RGB, diffused error
// included). Level 0 changes nothing; run-length frames (image compression 1) and frames with
// pixels outside their table are left alone. Returns the number of pixels changed.
int64_t applyLossyLZW(TGIFSubImage& frame, int level);

// Every frame of an image.
int64_t applyLossyLZW(TGIFImage& image, int level);
