// Runs model texts through ngspice in batch mode, so that a maker's output is checked by a real
// simulator: the model goes into a small test circuit, ngspice runs its analyses, and the values the
// circuit prints are read back.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace spicecheck {

struct Run {
    bool started = false; // ngspice could be run at all
    int exitCode = -1;
    std::string output; // standard output and error together
    // Every "name = value" line the run printed, by lower-case name (later lines win).
    std::map<std::string, double> values;
    // Lines ngspice flagged as errors in the circuit.
    std::vector<std::string> errors;
};

// Whether an ngspice executable is on the PATH (or NGSPICE names one).
bool available();

// Writes `netlist` (a complete circuit: title line first, ".end" last) to a temporary file, runs
// ngspice in batch mode and collects what it printed.
Run run(const std::string& netlist);

// Builds a circuit: a title, the model text, the circuit lines, and a control block with the given
// commands (for example "op" and "print v(s11)").
std::string circuit(const std::string& modelText, const std::string& elements,
                    const std::vector<std::string>& commands);

// Reads a vector printed by "print" in columns after a sweep: the values of `column` (lower case) in
// row order.
std::vector<double> column(const std::string& output, const std::string& column);

} // namespace spicecheck
