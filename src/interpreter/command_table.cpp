// The command table: every word of the language, in lookup order. A null
// handler means the command is not built into this program yet, and the word
// is an unknown command.
#include <cstdint>
#include <cstring>
#include <string>

#include "automation/commands.h"
#include "automation/sound_commands.h"
#include "data/byte_buffer.h"
#include "data/encoding_commands.h"
#include "data/file_commands.h"
#include "data/lists.h"
#include "data/picture.h"
#include "interpreter/assignment.h"
#include "interpreter/command_filter.h"
#include "interpreter/commands.h"
#include "interpreter/console_commands.h"
#include "interpreter/control_flow.h"
#include "interpreter/input_commands.h"
#include "interpreter/interpreter.h"
#include "interpreter/speech_commands.h"
#include "interpreter/text_commands.h"
#include "net/net_commands.h"

namespace interp {

bool CmdDebug(const std::string& arguments);  // script.cpp

namespace {

const Command kCommands[] = {
    {"MIDI", automation::CmdMidi},
    {"DEBUG", CmdDebug},
    {"SEJA", CmdSeja},
    {"TELA", CmdTela},
    {"COR", CmdCor},
    {"FUNDO", CmdFundo},
    {"ABRE", data::CmdAbre},
    {"FECHA", data::CmdFecha},
    {"INTERNET", net::CmdInternet},
    {"CONECTA", net::CmdConecta},
    {"ATIVASSL", net::CmdAtivassl},
    {"SERVE", net::CmdServe},
    {"OBSERVA", net::CmdObserva},
    {"ESCREVE", CmdEscreve},
    {"BIPA", CmdBipa},
    {"SOMA", CmdSoma},
    {"SUBTRAI", CmdSubtrai},
    {"MULTIPLICA", CmdMultiplica},
    {"DIVIDE", CmdDivide},
    {"CONCATENA", CmdConcatena},
    {"COPIA", CmdCopia},
    {"SOLETRA", CmdSoletra},
    {"LISTA", data::CmdLista},
    {"FALAHORA", CmdFalahora},
    {"TITULO", CmdTitulo},
    {"T\xCDTULO", CmdTitulo},
    {"DELETA", CmdDeleta},
    {"SUBSTITUI", CmdSubstitui},
    {"TOCA", CmdToca},
    {"FALA", CmdFala},
    {"MCI", CmdMci},
    {"L\xCA", CmdLe},
    {"LE", CmdLe},
    {"CHECA", data::CmdCheca},
    {"REMOVE", data::CmdRemove},
    {"RENOMEIA", data::CmdRenomeia},
    {"REPLICA", data::CmdReplica},
    {"CMD", CmdCmd},
    {"ESPERA", automation::CmdEspera},
    {"ENVIACMD", automation::CmdEnviacmd},
    {"DIGITA", automation::CmdDigita},
    {"ACIONA", automation::CmdAciona},
    {"CLICA", automation::CmdClica},
    {"CAPTURA", automation::CmdCaptura},
    {"TRANSFERE", automation::CmdTransfere},
    {"JANELA", automation::CmdJanela},
    {"DESVIA", CmdDesvia},
    {"SE", CmdSe},
    {"SENAO", CmdSenao},
    {"SEN\xC3O", CmdSenao},
    {"ENQUANTO", CmdEnquanto},
    {"REPETE", CmdRepete},
    {"FIM", CmdFim},
    {"EXECUTA", automation::CmdExecuta},
    {"EXISTEPROG", automation::CmdExisteprog},
    {"ALARME", automation::CmdAlarme},
    {"GRAVABYTES", data::CmdGravabytes},
    {"ESCREVEBYTE", data::CmdEscrevebyte},
    {"LEBYTE", data::CmdLebyte},
    {"LIMPABYTES", data::CmdLimpabytes},
    {"FECHABIN", data::CmdFechabin},
    {"CRIABIN", data::CmdCriabin},
    {"TAMARQ", data::CmdTamarq},
    {"HTAMARQ", data::CmdHtamarq},
    {"DIR", data::CmdDir},
    {"BUSCA", data::CmdBusca},
    {"TERMINA", CmdTermina},
    {"CHAMA", CmdChama},
    {"RETORNA", CmdRetorna},
    {"RANDOMIZA", CmdRandomiza},
    {"IP", net::CmdIp},
    {"MSAA", automation::CmdMsaa},
    {"MENU", automation::CmdMenu},
    {"IMAGEM", data::CmdImagem},
    {"SENSOR", automation::CmdSensor},
    {"ANSIPARAUTF8", data::CmdAnsiparautf8},
    {"UTF8PARAANSI", data::CmdUtf8paraansi},
    {"HTTP", net::CmdHttp},
    {"TRAZDAREDE", net::CmdTrazdarede},
    {"HANDLE", automation::CmdHandle},
    {"MENSAGEM", automation::CmdMensagem},
    {"CODBASE64", data::CmdCodbase64},
    {"REMOVEQUOTED", data::CmdRemovequoted},
    {"ADQUOTED", data::CmdAdquoted},
    {"CODARQBASE64", data::CmdCodarqbase64},
    {"DECODARQBASE64", data::CmdDecodarqbase64},
    {"DECODBASE64", data::CmdDecodbase64},
};

constexpr int kCommandCount = sizeof kCommands / sizeof kCommands[0];
static_assert(kCommandCount == 87, "the language has 87 command words");

// Words the Ensaio program does not have.
bool MissingInEnsaio(const char* word) {
  return std::strcmp(word, "ENVIACMD") == 0 || std::strcmp(word, "HTAMARQ") == 0;
}

// FNV-1a over the length and the first four bytes of the word: enough to
// tell the command words apart, cheap to compute.
uint32_t HashWord(const char* data, size_t size) {
  uint32_t hash = (2166136261u ^ static_cast<uint32_t>(size)) * 16777619u;
  for (size_t i = 0; i < size && i < 4; ++i) {
    hash ^= static_cast<unsigned char>(data[i]);
    hash *= 16777619u;
  }
  return hash;
}

// An open-addressing index of the table: every word is unique, so it gives
// the same answer as scanning the table in lookup order. 256 places for 87
// words keep the probes short.
class CommandIndex {
 public:
  CommandIndex() {
    for (int& place : places_) place = -1;
    for (int i = 0; i < kCommandCount; ++i) {
      size_t length = std::strlen(kCommands[i].word);
      lengths_[i] = length;
      uint32_t place = HashWord(kCommands[i].word, length) & kMask;
      while (places_[place] >= 0) place = (place + 1) & kMask;
      places_[place] = i;
    }
  }

  // The entry of `word`, or null.
  const Command* Find(const std::string& word) const {
    uint32_t place = HashWord(word.data(), word.size()) & kMask;
    for (int index = places_[place]; index >= 0; index = places_[place]) {
      if (word.size() == lengths_[index] && std::memcmp(word.data(), kCommands[index].word, word.size()) == 0)
        return &kCommands[index];
      place = (place + 1) & kMask;
    }
    return nullptr;
  }

 private:
  static constexpr uint32_t kMask = 255;
  int places_[kMask + 1];           // index into kCommands, -1 when free
  size_t lengths_[kCommandCount];  // length of each word
};

CommandFilter g_filter = nullptr;
uint32_t g_generation = 1;

}  // namespace

CommandHandler FindCommand(const std::string& word) {
  static const CommandIndex index;
  const Command* found = index.Find(word);
  if (!found || !found->handler) return nullptr;
  if (CurrentBuild() == Build::Ensaio && MissingInEnsaio(found->word)) return nullptr;
  if (g_filter && !g_filter(found->word)) return nullptr;
  return found->handler;
}

void SetCommandFilter(CommandFilter filter) {
  g_filter = filter;
  ++g_generation;
}

uint32_t CommandTableGeneration() { return g_generation; }

const Command* CommandTable(int& count) {
  count = kCommandCount;
  return kCommands;
}

}  // namespace interp
