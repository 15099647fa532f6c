// The subcommands of the dataobjects tool. Each returns the process's exit status: 0 done,
// 1 the input could not be decoded or a line was rejected, 2 bad usage.
#ifndef TOOLS_DATAOBJECTS_COMMANDS_H
#define TOOLS_DATAOBJECTS_COMMANDS_H

#include <string>

// Builds one object of each class, writes them to one archive (`file`, or memory when empty),
// reads them back and checks each is identical to what was written.
int runDemo(const std::string& file);

// Reads objects of `className` from `input` ("-" for standard input) until it ends and prints
// one line per object: its text, or its JSON when `json`.
int runDump(const std::string& className, const std::string& input, bool json);

// Reads JSON objects of `className`, one per line, from `input` and writes their archive form
// to `output` ("-" for standard output).
int runEncode(const std::string& className, const std::string& input, const std::string& output);

#endif  // TOOLS_DATAOBJECTS_COMMANDS_H
