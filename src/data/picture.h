// picture: IMAGEM, a picture file shown on the console window.
//
// Bitmaps are shown as they are; a JPEG is first decoded into a temporary
// bitmap in the system's temporary folder, which is removed again whatever
// happens.
#pragma once
#include <string>

namespace data {

// IMAGEM: removes the picture shown. IMAGEM file [x y] [&]: shows the file
// at (x, y); "&" makes a picture that cannot be shown no failure.
bool CmdImagem(const std::string& arguments);

// Decodes the JPEG file `jpeg` and writes it as a Windows bitmap (40-byte
// information header; 8 bits with a grey palette for a grey JPEG, else 24
// bits) to `bitmap`. False when the JPEG cannot be read or decoded, is
// larger than the window can show, or the bitmap cannot be written.
bool ConvertJpegToBitmap(const std::string& jpeg, const std::string& bitmap);

}  // namespace data
