// Base64 (RFC 4648, with padding) for the byte blobs in the tool's JSON.
#ifndef TOOLS_JSON_BASE64_H
#define TOOLS_JSON_BASE64_H

#include <string>
#include <vector>

std::string base64Encode(const std::vector<unsigned char>& bytes);
// Throws std::invalid_argument for anything but canonical padded base64.
std::vector<unsigned char> base64Decode(const std::string& text);

#endif  // TOOLS_JSON_BASE64_H
