// Every primitive decoder of the codec. The first input byte chooses the decoder, the rest is
// its input; a value decoded must be written and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "libs/utilities/archive/Serialize"
#include "libs/utilities/archive/detail/Codec.h"

namespace {

template <class T>
bool decode(T& value, std::istream& input) {
  try {
    KavSerialize::deserialize(value, input);
    return true;
  } catch (const TesmiraException&) {
    return false;
  }
}

bool decode(std::vector<unsigned char>& value, Archive& input) {
  try {
    input >> value;
    return true;
  } catch (const TesmiraException&) {
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return false;
}

bool same(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}
template <class T>
bool same(const T& a, const T& b) {
  return a == b;
}

template <class T>
void encode(const T& value, Archive& output) {
  KavSerialize::serialize(value, output);
}
void encode(const std::vector<unsigned char>& value, Archive& output) {
  dataobjects_data::detail::serialize_bytes(value, output);
}

template <class T>
void roundTrip(const std::string& bytes) {
  T first{};
  Archive input(bytes);
  if (!decode(first, input)) return;
  Archive output;
  encode(first, output);
  Archive again(output.str());
  T second{};
  if (!decode(second, again)) fuzz_support::fail("a written value does not read back");
  if (!same(first, second)) fuzz_support::fail("a value changed on its way through the archive");
  if (again.peek() != EOF) fuzz_support::fail("reading back left bytes over");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 9) {
    case 0:
      roundTrip<long long>(bytes);
      break;
    case 1:
      roundTrip<unsigned short>(bytes);
      break;
    case 2:
      roundTrip<unsigned int>(bytes);
      break;
    case 3:
      roundTrip<unsigned long>(bytes);
      break;
    case 4:
      roundTrip<bool>(bytes);
      break;
    case 5:
      roundTrip<unsigned char>(bytes);
      break;
    case 6:
      roundTrip<double>(bytes);
      break;
    case 7:
      roundTrip<std::string>(bytes);
      break;
    default:
      roundTrip<std::vector<unsigned char>>(bytes);
      break;
  }
  return 0;
}
