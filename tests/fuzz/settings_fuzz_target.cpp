// Fuzz target for the settings reader: any bytes are read with a message naming the line for each
// line that cannot be used; what is read is written back as text that reads back the same, with
// no message, and binds no input to two controls nor any of the program's own. Built without
// libFuzzer, with corpus_main.cpp, it replays the saved corpus in make test.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SettingsRead read = ReadSettings({reinterpret_cast<const char*>(data), size});
    for (const std::string& problem : read.problems) {
        Check(problem.rfind("line ", 0) == 0, "a message names its line");
    }
    const Bindings& bindings = read.settings.bindings;
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        Check(!ProgramInput(bindings[i].input), "no program input is bound");
        Check(BoundControl(bindings, bindings[i].input) == bindings[i].control,
              "an input holds one control");
    }
    const std::string written = WriteSettings(read.settings);
    const SettingsRead again = ReadSettings(written);
    Check(again.problems.empty(), "the settings written read without a message");
    Check(WriteSettings(again.settings) == written, "the settings written read back the same");
    return 0;
}
