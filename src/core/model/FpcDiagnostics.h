#pragma once
// Free Pascal's diagnostics rewritten into the form the compiler driver reads:
//   kvm.pas(55) Error: Identifier not found 'Freq'
// Only diagnostics about the user's code, most serious first.

#include <string>
#include <vector>

namespace kvaril {

// `output` is what ppcx64 printed; `unitLines` the lines of the compiled kvm.pas (to take an
// identifier's spelling from the source where FPC upper-cased it).
std::vector<std::string> RewriteFpcOutput(const std::string& output,
                                          const std::vector<std::string>& unitLines);

}  // namespace kvaril
