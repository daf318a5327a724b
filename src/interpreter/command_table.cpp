// The command table: every word of the language, in lookup order. A null
// handler means the command is not built into this program yet, and the word
// is an unknown command.
#include <cstring>
#include <string>
#include <unordered_map>

#include "data/lists.h"
#include "interpreter/assignment.h"
#include "interpreter/commands.h"
#include "interpreter/console_commands.h"
#include "interpreter/control_flow.h"
#include "interpreter/interpreter.h"
#include "interpreter/text_commands.h"

namespace interp {

bool CmdDebug(const std::string& arguments);  // script.cpp

namespace {

const Command kCommands[] = {
    {"MIDI", nullptr},
    {"DEBUG", CmdDebug},
    {"SEJA", CmdSeja},
    {"TELA", CmdTela},
    {"COR", CmdCor},
    {"FUNDO", CmdFundo},
    {"ABRE", nullptr},
    {"FECHA", nullptr},
    {"INTERNET", nullptr},
    {"CONECTA", nullptr},
    {"ATIVASSL", nullptr},
    {"SERVE", nullptr},
    {"OBSERVA", nullptr},
    {"ESCREVE", CmdEscreve},
    {"BIPA", nullptr},
    {"SOMA", CmdSoma},
    {"SUBTRAI", CmdSubtrai},
    {"MULTIPLICA", CmdMultiplica},
    {"DIVIDE", CmdDivide},
    {"CONCATENA", CmdConcatena},
    {"COPIA", CmdCopia},
    {"SOLETRA", nullptr},
    {"LISTA", data::CmdLista},
    {"FALAHORA", nullptr},
    {"TITULO", CmdTitulo},
    {"T\xCDTULO", CmdTitulo},
    {"DELETA", CmdDeleta},
    {"SUBSTITUI", CmdSubstitui},
    {"TOCA", nullptr},
    {"FALA", nullptr},
    {"MCI", nullptr},
    {"L\xCA", nullptr},
    {"LE", nullptr},
    {"CHECA", nullptr},
    {"REMOVE", nullptr},
    {"RENOMEIA", nullptr},
    {"REPLICA", nullptr},
    {"CMD", CmdCmd},
    {"ESPERA", nullptr},
    {"ENVIACMD", nullptr},
    {"DIGITA", nullptr},
    {"ACIONA", nullptr},
    {"CLICA", nullptr},
    {"CAPTURA", nullptr},
    {"TRANSFERE", nullptr},
    {"JANELA", nullptr},
    {"DESVIA", CmdDesvia},
    {"SE", CmdSe},
    {"SENAO", CmdSenao},
    {"SEN\xC3O", CmdSenao},
    {"ENQUANTO", CmdEnquanto},
    {"REPETE", CmdRepete},
    {"FIM", CmdFim},
    {"EXECUTA", nullptr},
    {"EXISTEPROG", nullptr},
    {"ALARME", nullptr},
    {"GRAVABYTES", nullptr},
    {"ESCREVEBYTE", nullptr},
    {"LEBYTE", nullptr},
    {"LIMPABYTES", nullptr},
    {"FECHABIN", nullptr},
    {"CRIABIN", nullptr},
    {"TAMARQ", nullptr},
    {"HTAMARQ", nullptr},
    {"DIR", nullptr},
    {"BUSCA", nullptr},
    {"TERMINA", CmdTermina},
    {"CHAMA", CmdChama},
    {"RETORNA", CmdRetorna},
    {"RANDOMIZA", CmdRandomiza},
    {"IP", nullptr},
    {"MSAA", nullptr},
    {"MENU", nullptr},
    {"IMAGEM", nullptr},
    {"SENSOR", nullptr},
    {"ANSIPARAUTF8", nullptr},
    {"UTF8PARAANSI", nullptr},
    {"HTTP", nullptr},
    {"TRAZDAREDE", nullptr},
    {"HANDLE", nullptr},
    {"MENSAGEM", nullptr},
    {"CODBASE64", nullptr},
    {"REMOVEQUOTED", nullptr},
    {"ADQUOTED", nullptr},
    {"CODARQBASE64", nullptr},
    {"DECODARQBASE64", nullptr},
    {"DECODBASE64", nullptr},
};

constexpr int kCommandCount = sizeof kCommands / sizeof kCommands[0];
static_assert(kCommandCount == 87, "the language has 87 command words");

// Words the Ensaio program does not have.
bool MissingInEnsaio(const char* word) {
  return std::strcmp(word, "ENVIACMD") == 0 || std::strcmp(word, "HTAMARQ") == 0;
}

}  // namespace

CommandHandler FindCommand(const std::string& word) {
  // Every word is unique, so a hash of the table gives the same answer as
  // scanning it in lookup order.
  static const std::unordered_map<std::string, CommandHandler> index = [] {
    std::unordered_map<std::string, CommandHandler> map;
    for (const Command& command : kCommands) map.emplace(command.word, command.handler);
    return map;
  }();
  auto found = index.find(word);
  if (found == index.end() || !found->second) return nullptr;
  if (CurrentBuild() == Build::Ensaio && MissingInEnsaio(found->first.c_str())) return nullptr;
  return found->second;
}

const Command* CommandTable(int& count) {
  count = kCommandCount;
  return kCommands;
}

}  // namespace interp
