#pragma once

#include "update/StreamCrc.h"

#include <cstdint>
#include <string>

// The CRC-32 of a local file, read in 4096-byte blocks with the sequential
// scan hint and summed by stream on its second thread. 0 as the result when
// the file was read to its end; the system's error code when it could not
// be opened; ERROR_CRC when a read failed. crc is that of the bytes read.
uint32_t ComputeFileCrc32With(StreamCrc& stream, const std::string& path, uint32_t& crc);
