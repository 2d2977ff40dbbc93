#pragma once
// The -lh5- method of the LHA archive format: LZSS over an 8 KiB sliding dictionary, coded with
// block-wise static Huffman tables. Any standard -lh5- decoder reads what Lh5Encode writes.
//
// Compressed stream as the container stores it:
//   int32 N            uncompressed length (in place of an archive header)
//   bit stream         MSB first, a sequence of blocks:
//     16 bits          number of literal/length codes in the block
//     code-length table (19 symbols): 5-bit count, then lengths 0..6 in 3 bits, 7+ as a unary
//                      run of 1 bits after 111; after the third length a 2-bit count of zeros
//     literal/length table (510 symbols): 9-bit count, lengths coded with the code-length table;
//                      symbols 0, 1, 2 mean 1, 3..18 (4 bits) and 20..531 (9 bits) zero lengths
//     position table (14 symbols): 4-bit count, lengths as in the code-length table without the
//                      zero-run count
//     codes            literal 0..255, or length 3..256 as code 253+length followed by a position
//                      code p and p-1 extra bits (distance-1 = 2^(p-1) + extra, or 0 for p = 0)
//   A table with count 0 is followed by the single symbol every code decodes to (same width).
//   After the last block 7 zero bits fill the last byte.
#include <cstdint>
#include <span>
#include <vector>

namespace kelani {

class TStream;

// The largest unpacked size any reader accepts. The biggest real body, the hands container, is
// about 25 MB; a stream announcing more is refused before anything is decoded, so a few hundred
// damaged bytes cannot make a reader allocate gigabytes. The encoder refuses more as well, so
// nothing is written that could not be read back.
constexpr std::int64_t kLh5MaxSize = std::int64_t{64} << 20; // 64 MiB

// The bit stream of data, without the leading length; more than kLh5MaxSize bytes raise EWriteError.
std::vector<std::uint8_t> Lh5Encode(std::span<const std::uint8_t> data);
// Decodes exactly size bytes from the bit stream (zeros once it is used up). A malformed stream,
// or a size outside 0..kLh5MaxSize, raises ECorruptFile "Compressed file is corrupt".
std::vector<std::uint8_t> Lh5Decode(std::span<const std::uint8_t> stream, std::int64_t size);

// The stream form held in memory: N, then the bit stream.
std::vector<std::uint8_t> Lh5Pack(std::span<const std::uint8_t> data);
// A missing N, one outside 0..maxSize (a reader that knows how much it can hold passes less than
// kLh5MaxSize), or a malformed stream raises ECorruptFile "Compressed file is corrupt".
std::vector<std::uint8_t> Lh5Unpack(std::span<const std::uint8_t> packed, std::int64_t maxSize = kLh5MaxSize);

// Reads Source from its position to its end and writes N and the bit stream at Dest's position.
void Lh5Compress(TStream& Source, TStream& Dest);
// Reads N and the bit stream from Source's position to its end and writes the N bytes to Dest.
// A negative N or a malformed stream raises ECorruptFile "Compressed file is corrupt".
void Lh5Decompress(TStream& Source, TStream& Dest);

} // namespace kelani
