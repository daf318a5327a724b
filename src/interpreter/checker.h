// checker: reads a script without running it and finds what would go wrong
// when it runs (tessel --verifica script.cmd).
#pragma once
#include <string>
#include <vector>

namespace interp {

struct Finding {
  int line;             // 1-based; 0 for the script as a whole
  std::string message;  // Portuguese, Latin-1, without the line number
};

// Checks the script in the store (LoadScript): unknown command words, blocks
// without their FIM and FIMs without a block, SENÃO outside a SE, labels
// jumped to (DESVIA, CHAMA, and `start_label` when not empty) that do not
// exist, labels defined twice, unterminated quotes, REPETE inside REPETE and
// ENQUANTO inside ENQUANTO. Findings come in line order. Runs nothing.
std::vector<Finding> CheckLoadedScript(const std::string& start_label);

// The text a finding is reported with: "Linha N: ..." (Latin-1).
std::string FindingText(const Finding& finding);

// Loads the script `name` and reports each finding, written and spoken, then
// how many there were. Returns the exit code: 0 when there is nothing to
// report, 1 otherwise (an unreadable script too).
int VerifyScript(const std::string& name, const std::string& start_label);

}  // namespace interp
