#include "Commands.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "Progress.h"
#include "libs/utilities/archive/BoundedReading.h"
#include "platform/TesmiraException.h"
#include "tools/json/ObjectCatalog.h"

namespace {

// The whole input, from a file or from standard input ("-"). Throws std::runtime_error.
std::string readInput(const std::string& input) {
  if (input == "-") {
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  }
  std::ifstream file(input, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + input);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The exception and each root cause on its own line: name, reason, file and line.
void printChain(const TesmiraException& e) {
  const char* prefix = "  ";
  for (const TesmiraException* cause = &e; cause != nullptr; cause = cause->getRootCause()) {
    std::fprintf(stderr, "%s%s: %s (%s:%d)\n", prefix, cause->getName(), cause->Reason(),
                 cause->getFile(), cause->getLine());
    prefix = "  caused by ";
  }
}

const ObjectClass* classOrUsageError(const std::string& name) {
  const ObjectClass* objectClass = findObjectClass(name);
  if (objectClass == nullptr) {
    std::fprintf(stderr, "dataobjects: unknown class %s; one of:", name.c_str());
    for (const ObjectClass& c : objectClasses())
      std::fprintf(stderr, " %s", c.name.c_str());
    std::fprintf(stderr, "\n");
  }
  return objectClass;
}

}  // namespace

int runDump(const std::string& className, const std::string& input, bool json) {
  const ObjectClass* objectClass = classOrUsageError(className);
  if (objectClass == nullptr) return 2;
  Archive archive(readInput(input));
  // The input may come from anywhere: its counts claim no more memory than it holds.
  const dataobjects_data::BoundedReading bounded;
  Progress progress("dump:");
  std::size_t index = 0;
  for (; archive.peek() != EOF; ++index) {
    const auto start = static_cast<long long>(archive.tellg());
    std::string text;
    Json object;
    try {
      objectClass->read(archive, json ? nullptr : &text, json ? &object : nullptr);
    } catch (const TesmiraException& e) {
      archive.clear();
      std::fprintf(stderr, "dataobjects: object %zu (bytes %lld to %lld) could not be read:\n",
                   index, start, static_cast<long long>(archive.tellg()));
      printChain(e);
      return 1;
    } catch (const std::exception& e) {  // no memory for what the input holds
      archive.clear();
      std::fprintf(stderr, "dataobjects: object %zu (bytes %lld to %lld) could not be read: %s\n",
                   index, start, static_cast<long long>(archive.tellg()), e.what());
      return 1;
    }
    std::cout << (json ? object.dump() : text) << '\n';
    progress.update(index + 1, static_cast<std::size_t>(archive.tellg()));
  }
  std::cout.flush();
  return 0;
}

int runEncode(const std::string& className, const std::string& input, const std::string& output) {
  const ObjectClass* objectClass = classOrUsageError(className);
  if (objectClass == nullptr) return 2;
  std::istringstream lines(readInput(input));
  std::ofstream file;
  if (output != "-") {
    file.open(output, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("cannot create " + output);
  }
  std::ostream& out = output == "-" ? std::cout : file;
  Progress progress("encode:");
  std::size_t lineNumber = 0, objects = 0, bytes = 0;
  int status = 0;
  for (std::string line; std::getline(lines, line);) {
    ++lineNumber;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    // Each object is built in an archive of its own, so a rejected line writes nothing.
    Archive archive;
    try {
      objectClass->write(Json::parse(line), archive);
    } catch (const FieldError& e) {
      std::fprintf(stderr, "dataobjects: line %zu: field %s: %s\n", lineNumber,
                   e.field().empty() ? "(object)" : e.field().c_str(), e.what());
      status = 1;
      continue;
    } catch (const Json::parse_error& e) {
      std::fprintf(stderr, "dataobjects: line %zu: not JSON: %s\n", lineNumber, e.what());
      status = 1;
      continue;
    }
    const std::string encoded = archive.str();
    out.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
    bytes += encoded.size();
    progress.update(++objects, bytes);
  }
  out.flush();
  if (!out) throw std::runtime_error("cannot write " + output);
  return status;
}
