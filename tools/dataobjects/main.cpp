// dataobjects: look inside archives of data objects, make archives from JSON, and run a demo.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>

#include "Commands.h"
#include "tools/json/ObjectCatalog.h"

int main(int argc, char** argv) {
  CLI::App app{"Reads, writes and shows archives of libdataobjects_data objects."};
  app.set_version_flag("--version", "dataobjects " DATAOBJECTS_VERSION);
  app.require_subcommand(1);
  std::string classList;
  for (const ObjectClass& c : objectClasses())
    classList += (classList.empty() ? "" : ", ") + c.name;

  std::string demoFile;
  CLI::App* demo = app.add_subcommand(
      "demo", "Write one object of each class to an archive, read them back and show them");
  demo->add_option("-o,--output", demoFile, "Write the archive to this file (default: memory)");

  std::string className, input = "-", output = "-";
  bool json = false;
  CLI::App* dump = app.add_subcommand(
      "dump", "Print each object of an archive on its own line, until the input ends");
  dump->add_option("--type", className,
                   "The class of the objects (DO suffix optional): " + classList)
      ->required();
  dump->add_flag("--json", json, "Print JSON instead of the objects' text");
  dump->add_option("input", input, "Archive file, or - for standard input");

  CLI::App* encode = app.add_subcommand(
      "encode", "Write the archive form of JSON objects, one per line, as dump --json prints them");
  encode
      ->add_option("--type", className,
                   "The class of the objects (DO suffix optional): " + classList)
      ->required();
  encode->add_option("input", input, "JSON lines file, or - for standard input");
  encode->add_option("-o,--output", output, "Archive file, or - for standard output");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }
  try {
    if (*demo) return runDemo(demoFile);
    if (*dump) return runDump(className, input, json);
    return runEncode(className, input, output);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dataobjects: %s\n", e.what());
    return 1;
  }
}
