// The script checker: one pass over the store, keeping the open blocks on a
// stack and the labels in a table; nothing of the script runs.
//
// A SE line is a block when its condition has nothing after it, as the run
// decides: the condition is read with the run's own reader, quietly. A
// condition that cannot be read before the run (a list made by the script)
// is a block when the line ends with the list's "]".
#include "interpreter/checker.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "interpreter/commands.h"
#include "interpreter/control_flow.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace interp {
namespace {

enum class Block { Se, Enquanto, Repete };

const char* BlockName(Block block) {
  switch (block) {
    case Block::Se: return "SE";
    case Block::Enquanto: return "ENQUANTO";
    case Block::Repete: return "REPETE";
  }
  return "";
}

struct OpenBlock {
  Block block;
  int line;
};

// One-line SEs inside one-line SEs are followed this deep.
constexpr int kMaxNesting = 100;

class Checker {
 public:
  explicit Checker(std::vector<Finding>& findings) : findings_(findings) {}

  void Run(const std::string& start_label) {
    int count = LineCount();
    CollectLabels(count);
    for (int n = 1; n <= count; ++n) CheckLine(n);
    for (const OpenBlock& open : open_)
      Report(open.line, std::string(BlockName(open.block)) + " sem FIM " + BlockName(open.block));
    if (!start_label.empty() && !LabelExists(start_label))
      Report(0, "r\xF3tulo de in\xED" "cio inexistente: @" + start_label);
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
  }

 private:
  void Report(int line, std::string message) { findings_.push_back({line, std::move(message)}); }

  static std::string LabelKey(const std::string& name) { return speech::UpperCasePt(name); }

  void CollectLabels(int count) {
    for (int n = 1; n <= count; ++n) {
      const std::string& text = Line(n);
      if (text.empty() || text[0] != '@') continue;
      auto inserted = labels_.emplace(LabelKey(text.substr(1)), n);
      if (!inserted.second)
        Report(n, "r\xF3tulo repetido: " + text + " (j\xE1 na linha " + std::to_string(inserted.first->second) + ")");
    }
  }

  bool LabelExists(const std::string& name) const { return labels_.count(LabelKey(name)) > 0; }

  void CheckLine(int n) {
    const std::string& text = Line(n);
    if (text.empty() || text[0] == '*' || text[0] == '@') return;
    const std::string& canonical = CanonicalLine(n);
    if (CountQuotes(text) % 2 != 0) Report(n, "aspas sem fechar");
    CheckCommand(n, text, 0);
    if (canonical == "SENAO" || canonical == "SEN\xC3O") {
      if (open_.empty() || open_.back().block != Block::Se) Report(n, "SEN\xC3O fora de um SE");
    } else if (StartsWith(canonical, "ENQUANTO ")) {
      Open(n, Block::Enquanto);
    } else if (StartsWith(canonical, "REPETE ")) {
      Open(n, Block::Repete);
    } else if (StartsWith(canonical, "SE ") && IsBlockSe(LineArguments(n), canonical)) {
      Open(n, Block::Se);
    } else if (canonical == "FIM SE") {
      Close(n, Block::Se);
    } else if (canonical == "FIM ENQUANTO") {
      Close(n, Block::Enquanto);
    } else if (canonical == "FIM REPETE") {
      Close(n, Block::Repete);
    }
  }

  // The command word of a line (as written, or run by a one-line SE): known,
  // and the label it jumps to defined.
  void CheckCommand(int n, const std::string& text, int depth) {
    size_t blank = text.find(' ');
    std::string word = text.substr(0, blank);
    for (char& c : word)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    std::string arguments = blank == std::string::npos ? std::string() : TrimControls(text.substr(blank + 1));
    std::string lookup = speech::UpperCasePt(word);
    if (!FindCommand(lookup)) {
      Report(n, "comando desconhecido: " + word);
      return;
    }
    if (lookup == "DESVIA" || lookup == "CHAMA") {
      if (arguments.size() > 1 && arguments[0] == '@' && arguments.find(' ') == std::string::npos &&
          !LabelExists(arguments.substr(1)))
        Report(n, "r\xF3tulo inexistente: " + arguments);
    } else if (lookup == "SE" && depth < kMaxNesting) {
      Condition condition;
      QuietExpressions quiet;
      if (EvaluateCondition(arguments, condition) && !condition.rest.empty())
        CheckCommand(n, condition.rest, depth + 1);
    }
  }

  static bool IsBlockSe(const std::string& arguments, const std::string& canonical) {
    Condition condition;
    QuietExpressions quiet;
    if (EvaluateCondition(arguments, condition)) return condition.rest.empty();
    return canonical.find("EM [") != std::string::npos && canonical.back() == ']';
  }

  void Open(int n, Block block) {
    if (block != Block::Se) {
      for (const OpenBlock& open : open_)
        if (open.block == block) {
          Report(n, std::string(BlockName(block)) + " dentro de " + BlockName(block) + " (aberto na linha " +
                        std::to_string(open.line) + ")");
          break;
        }
    }
    open_.push_back({block, n});
  }

  void Close(int n, Block block) {
    auto found = std::find_if(open_.rbegin(), open_.rend(), [block](const OpenBlock& open) { return open.block == block; });
    if (found == open_.rend()) {
      Report(n, std::string("FIM ") + BlockName(block) + " sem " + BlockName(block));
      return;
    }
    // Blocks opened after it and not closed before its FIM.
    size_t index = open_.size() - 1 - static_cast<size_t>(found - open_.rbegin());
    while (open_.size() > index + 1) {
      Report(open_.back().line,
             std::string(BlockName(open_.back().block)) + " sem FIM " + BlockName(open_.back().block));
      open_.pop_back();
    }
    open_.pop_back();
  }

  static size_t CountQuotes(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '"')); }

  static bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
  }

  std::vector<Finding>& findings_;
  std::vector<OpenBlock> open_;
  std::unordered_map<std::string, int> labels_;  // upper-cased name -> first line
};

}  // namespace

std::vector<Finding> CheckLoadedScript(const std::string& start_label) {
  std::vector<Finding> findings;
  Checker(findings).Run(start_label);
  return findings;
}

std::string FindingText(const Finding& finding) {
  if (finding.line <= 0) return finding.message;
  return "Linha " + std::to_string(finding.line) + ": " + finding.message;
}

int VerifyScript(const std::string& name, const std::string& start_label) {
  if (!LoadScript(name)) {
    speech::WriteLineSpeak("Arquivo .CMD inexistente");
    return 1;
  }
  std::vector<Finding> findings = CheckLoadedScript(start_label);
  for (const Finding& finding : findings) speech::WriteLineSpeak(FindingText(finding));
  if (findings.empty()) speech::WriteLineSpeak("Nenhum problema encontrado");
  else if (findings.size() == 1) speech::WriteLineSpeak("1 problema encontrado");
  else speech::WriteLineSpeak(std::to_string(findings.size()) + " problemas encontrados");
  return findings.empty() ? 0 : 1;
}

}  // namespace interp
