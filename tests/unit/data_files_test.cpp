// Tests of the slot table and the file commands on real files in a
// temporary folder that is also drive C and the working folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/console.h"
#include "data/data_module.h"
#include "data/file_commands.h"
#include "data/file_table.h"
#include "interpreter/operands.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::HeadlessConsole;

class DataFiles : public testing::Test {
 protected:
  DataFiles() : saved_folder_(fs::current_path()) {
    setenv("MIRANE_DRIVE_C", root().c_str(), 1);
    setenv("LC_ALL", "C", 1);  // "." as the decimal separator of HTAMARQ
    fs::current_path(root());
    interp::ResetVariables();
    data::DataInit();
  }
  ~DataFiles() override {
    data::DataEnd();
    fs::current_path(saved_folder_);
    unsetenv("MIRANE_DRIVE_C");
    unsetenv("LC_ALL");
  }

  std::string root() const { return headless_.folder().path().string(); }
  void Write(const std::string& name, const std::string& contents) { headless_.folder().Write(name, contents); }
  std::string Read(const std::string& name) const { return headless_.folder().Read(name); }
  bool Exists(const std::string& name) const { return fs::exists(headless_.folder().path() / name); }
  static std::string Var(char letter) { return interp::Variable(letter); }
  // True when some screen row holds `text`.
  static bool ScreenHas(const std::string& text) {
    for (int row = 1; row <= 25; ++row)
      if (console::ScreenRow(row).find(text) != std::string::npos) return true;
    return false;
  }
  static std::string ReadSlot(char digit) {
    std::string line;
    EXPECT_TRUE(data::ReadFromSlot(digit, line));
    return line;
  }

  HeadlessConsole headless_;
  fs::path saved_folder_;
};

TEST_F(DataFiles, WriteAppendAndReadBack) {
  ASSERT_TRUE(data::CmdAbre("#1 \"notas.txt\" &"));  // missing: created for appending
  EXPECT_EQ(data::KindOfSlot('1'), data::SlotKind::AppendFile);
  EXPECT_TRUE(data::WriteToFileSlot('1', "um", true));
  EXPECT_TRUE(data::WriteToFileSlot('1', "do", false));
  EXPECT_TRUE(data::WriteToFileSlot('1', "is", true));
  EXPECT_EQ(data::IoStatus(), 0);
  EXPECT_EQ(Read("notas.txt"), "um\r\ndois\r\n");  // each write reaches the disk at once
  ASSERT_TRUE(data::CmdFecha("#1"));
  ASSERT_TRUE(data::CmdAbre("#1 \"NOTAS.TXT\" &"));  // appending keeps what is there
  data::WriteToFileSlot('1', "tr\xEAs", true);
  ASSERT_TRUE(data::CmdFecha("#1"));
  EXPECT_EQ(Read("notas.txt"), "um\r\ndois\r\ntr\xEAs\r\n");

  ASSERT_TRUE(data::CmdAbre("#2 \"c:\\Notas.txt\""));
  EXPECT_EQ(ReadSlot('2'), "um");
  EXPECT_EQ(ReadSlot('2'), "dois");
  EXPECT_EQ(ReadSlot('2'), "tr\xEAs");
  EXPECT_EQ(data::IoStatus(), 0);
  EXPECT_EQ(ReadSlot('2'), "");
  EXPECT_EQ(data::IoStatus(), data::kIoEndOfFile);
  ASSERT_TRUE(data::CmdCheca("C"));
  EXPECT_EQ(Var('C'), "1");
  EXPECT_FALSE(data::CmdCheca("C D"));  // nothing may follow
  EXPECT_FALSE(data::CmdCheca("\"C\""));
}

TEST_F(DataFiles, LineEndsOfEveryKind) {
  Write("mix.txt", "cr\rlf\ncrlf\r\n\r\nlast");
  ASSERT_TRUE(data::OpenFileSlot('0', "mix.txt", false));
  for (const char* expected : {"cr", "lf", "crlf", "", "last"}) {
    EXPECT_EQ(ReadSlot('0'), expected);
    EXPECT_EQ(data::IoStatus(), 0);
  }
  EXPECT_EQ(ReadSlot('0'), "");
  EXPECT_EQ(data::IoStatus(), 1);
  // A long line crosses the reader's buffer.
  std::string long_line(200000, 'x');
  Write("long.txt", long_line + "\r\nshort");
  ASSERT_TRUE(data::OpenFileSlot('0', "long.txt", false));
  EXPECT_EQ(ReadSlot('0'), long_line);
  EXPECT_EQ(ReadSlot('0'), "short");
}

TEST_F(DataFiles, WrongDirectionSetsTheStatus) {
  Write("a.txt", "linha\r\n");
  ASSERT_TRUE(data::OpenFileSlot('3', "a.txt", false));
  EXPECT_TRUE(data::WriteToFileSlot('3', "x", true));
  EXPECT_EQ(data::IoStatus(), data::kIoNotOpenForOutput);
  EXPECT_EQ(Read("a.txt"), "linha\r\n");
  ASSERT_TRUE(data::OpenFileSlot('3', "b.txt", true));
  std::string line = "untouched";
  EXPECT_TRUE(data::ReadFromSlot('3', line));
  EXPECT_EQ(line, "");
  EXPECT_EQ(data::IoStatus(), data::kIoNotOpenForInput);
  // A free slot does nothing and says so to its caller.
  EXPECT_FALSE(data::WriteToFileSlot('4', "x", true));
  EXPECT_FALSE(data::ReadFromSlot('4', line));
}

TEST_F(DataFiles, AbreFailuresAreSaid) {
  struct Case {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"#1 \"falta.txt\"", "Erro na abertura do arquivo falta.txt"},
      {"#12 \"a.txt\"", "Erro na abertura do arquivo"},
      {"#1", "Erro na abertura do arquivo"},
      {"#1 \"\"", "Erro na abertura do arquivo"},
      {"1 \"a.txt\"", "Erro na abertura do arquivo"},
  };
  for (const Case& c : cases) {
    console::ClearScreen();
    EXPECT_FALSE(data::CmdAbre(c.arguments)) << c.arguments;
    EXPECT_TRUE(ScreenHas(c.message)) << c.arguments;
  }
  EXPECT_FALSE(data::CmdAbre("#1 \"pasta\\falta.txt\" &"));  // no folder to create it in
}

TEST_F(DataFiles, AbreOnAnOpenSlotClosesWhatItHeld) {
  ASSERT_TRUE(data::CmdAbre("#5 \"primeiro.txt\" &"));
  data::WriteToFileSlot('5', "a", true);
  Write("segundo.txt", "b\r\n");
  ASSERT_TRUE(data::CmdAbre("#5 \"segundo.txt\""));
  EXPECT_EQ(data::KindOfSlot('5'), data::SlotKind::ReadFile);
  EXPECT_EQ(ReadSlot('5'), "b");
  EXPECT_EQ(Read("primeiro.txt"), "a\r\n");
  // A failed open leaves the slot free.
  EXPECT_FALSE(data::CmdAbre("#5 \"falta.txt\""));
  EXPECT_EQ(data::KindOfSlot('5'), data::SlotKind::Free);
}

TEST_F(DataFiles, FechaAndSlotOperands) {
  EXPECT_TRUE(data::CmdFecha("#7"));  // never opened
  EXPECT_FALSE(data::CmdFecha("#x"));
  EXPECT_TRUE(ScreenHas("Erro no fechamento do arquivo"));
  ASSERT_TRUE(data::CmdAbre("#7 \"f.txt\" &"));
  EXPECT_TRUE(data::CmdFecha("#7"));
  EXPECT_EQ(data::KindOfSlot('7'), data::SlotKind::Free);
}

TEST_F(DataFiles, RemoveRenameWithAndWithoutQuiet) {
  Write("velho.txt", "conteudo");
  EXPECT_TRUE(data::CmdRenomeia("\"VELHO.TXT\" \"novo.txt\""));
  EXPECT_FALSE(Exists("velho.txt"));
  EXPECT_EQ(Read("novo.txt"), "conteudo");
  EXPECT_FALSE(data::CmdRenomeia("\"velho.txt\" \"outro.txt\""));  // missing, no message
  EXPECT_TRUE(data::CmdRenomeia("\"velho.txt\" \"outro.txt\" &"));
  EXPECT_FALSE(data::CmdRenomeia("\"novo.txt\" \"x.txt\" sobra"));
  Write("alvo.txt", "guardado");
  EXPECT_FALSE(data::CmdRenomeia("\"novo.txt\" \"alvo.txt\""));  // an existing file is never replaced
  EXPECT_EQ(Read("alvo.txt"), "guardado");

  EXPECT_TRUE(data::CmdRemove("\"Novo.Txt\""));
  EXPECT_FALSE(Exists("novo.txt"));
  EXPECT_TRUE(data::CmdRemove("\"novo.txt\" &"));
  EXPECT_FALSE(ScreenHas("Erro no apagamento"));
  EXPECT_FALSE(data::CmdRemove("\"novo.txt\""));
  EXPECT_TRUE(ScreenHas("Erro no apagamento do arquivo novo.txt"));
  EXPECT_FALSE(data::CmdRemove("\"\""));
}

TEST_F(DataFiles, ReplicaCopiesByteForByte) {
  std::string big;
  for (int i = 0; i < 70000; ++i) big += static_cast<char>(i * 7 % 256);
  Write("grande.bin", big);
  EXPECT_TRUE(data::CmdReplica("\"grande.bin\" \"copia.bin\""));
  EXPECT_EQ(Read("copia.bin"), big);
  Write("vazio.txt", "");
  Write("cheio.txt", "antigo");
  EXPECT_TRUE(data::CmdReplica("\"vazio.txt\" \"cheio.txt\""));  // the target is emptied
  EXPECT_EQ(Read("cheio.txt"), "");
  EXPECT_FALSE(data::CmdReplica("\"vazio.txt\" \"x.txt\" sobra"));
}

TEST_F(DataFiles, ReplicaThatCannotOpen) {
  EXPECT_FALSE(data::CmdReplica("\"falta.txt\" \"copia.txt\""));
  EXPECT_TRUE(data::CmdReplica("\"falta.txt\" \"copia.txt\" &"));  // quiet: nothing copied, no stop
  EXPECT_FALSE(Exists("copia.txt"));
  Write("a.txt", "dados");
  EXPECT_FALSE(data::CmdReplica("\"a.txt\" \"pasta\\b.txt\""));
  EXPECT_TRUE(data::CmdReplica("\"a.txt\" \"pasta\\b.txt\" &"));
  // Copying a file onto itself would empty it: refused, the data stays.
  EXPECT_FALSE(data::CmdReplica("\"a.txt\" \"A.TXT\""));
  EXPECT_TRUE(data::CmdReplica("\"a.txt\" \"./a.txt\" &"));
  EXPECT_EQ(Read("a.txt"), "dados");
}

// A full disk (/dev/full refuses every write) and an unreadable file
// (/proc/self/mem at address 0) reach the commands as the errors they are.
TEST_F(DataFiles, ErrorsOfTheDisk) {
  Write("a.txt", "dados");
  EXPECT_FALSE(data::CmdReplica("\"a.txt\" \"/dev/full\""));
  EXPECT_TRUE(ScreenHas("Erro na escrita de arquivo /dev/full"));
  EXPECT_TRUE(data::CmdReplica("\"a.txt\" \"/dev/full\" &"));
  EXPECT_FALSE(data::CmdReplica("\"/proc/self/mem\" \"b.txt\""));
  EXPECT_TRUE(ScreenHas("Erro no processamento de arquivo /proc/self/mem"));

  ASSERT_TRUE(data::CmdAbre("#1 \"/dev/full\" &"));
  EXPECT_TRUE(data::WriteToFileSlot('1', "linha", true));
  EXPECT_EQ(data::IoStatus(), data::kIoWriteError);
  EXPECT_TRUE(data::CmdFecha("#1"));
  ASSERT_TRUE(data::CmdAbre("#2 \"/proc/self/mem\""));
  std::string line = "x";
  EXPECT_TRUE(data::ReadFromSlot('2', line));
  EXPECT_EQ(data::IoStatus(), data::kIoReadError);
  EXPECT_EQ(line, "");
}

TEST_F(DataFiles, Folders) {
  EXPECT_TRUE(data::CmdDir("CRIA \"Pasta\""));
  EXPECT_TRUE(fs::is_directory(root() + "/Pasta"));
  EXPECT_FALSE(data::CmdDir("CRIA \"Pasta\""));  // exists
  EXPECT_TRUE(ScreenHas("Erro no processamento do diret\xF3rio Pasta"));
  EXPECT_TRUE(data::CmdDir("cria \"pasta\" &"));
  EXPECT_FALSE(data::CmdDir("CRIAR \"Outra\""));  // the keyword needs its blank
  EXPECT_FALSE(Exists("Outra"));
  EXPECT_FALSE(data::CmdDir("CRIA \"a\\b\\c\""));  // the parent must exist
  EXPECT_FALSE(data::CmdDir("CRIA \"x\" \"y\""));

  EXPECT_TRUE(data::CmdDir("TROCA \"PASTA\""));
  EXPECT_EQ(fs::current_path(), fs::path(root()) / "Pasta");
  Write("Pasta/dentro.txt", "");
  EXPECT_TRUE(data::CmdRemove("\"dentro.txt\""));
  EXPECT_TRUE(data::CmdDir("TROCA \"..\""));
  EXPECT_TRUE(data::CmdDir("REMOVE \"pasta\""));
  EXPECT_FALSE(Exists("Pasta"));
  EXPECT_TRUE(data::CmdDir("REMOVE \"pasta\" &"));
  EXPECT_FALSE(data::CmdDir("APAGA \"pasta\""));
}

TEST_F(DataFiles, BuscaWalksMixedCaseNames) {
  Write("Busca/Beta.TXT", "");
  Write("Busca/alfa.txt", "");
  Write("Busca/GAMA.txt", "");
  Write("Busca/nota.doc", "");
  Write("Busca/.oculto.txt", "");
  Write("Busca/Sub/x.txt", "");
  Write("Busca/sub2/y.txt", "");
  EXPECT_TRUE(data::CmdBusca("N \"busca\\*.TXT\""));
  EXPECT_EQ(Var('N'), "alfa.txt");
  std::vector<std::string> names = {Var('N')};
  for (;;) {
    ASSERT_TRUE(data::CmdBusca("N PROXIMO"));
    if (Var('N').empty()) break;
    names.push_back(Var('N'));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"alfa.txt", "Beta.TXT", "GAMA.txt"}));
  EXPECT_TRUE(data::CmdBusca("N PR\xD3XIMO"));  // the search has ended
  EXPECT_EQ(Var('N'), "");

  EXPECT_TRUE(data::CmdBusca("N DIR \"BUSCA\\*\""));
  names = {Var('N')};
  while (data::CmdBusca("N pr\xF3ximo") && !Var('N').empty()) names.push_back(Var('N'));
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "Sub", "sub2"}));

  EXPECT_TRUE(data::CmdBusca("N \"busca\\*.pdf\""));
  EXPECT_EQ(Var('N'), "");
  EXPECT_TRUE(data::CmdBusca("N \"busca\\*.txt\""));
  EXPECT_TRUE(data::CmdBusca("N FIM"));
  EXPECT_EQ(Var('N'), "alfa.txt");
  EXPECT_TRUE(data::CmdBusca("N PROXIMO"));
  EXPECT_EQ(Var('N'), "");

  EXPECT_TRUE(data::CmdBusca("N DIR"));
  EXPECT_EQ(fs::path(Var('N')), fs::current_path());
  EXPECT_FALSE(data::CmdBusca("N"));
  EXPECT_FALSE(data::CmdBusca("N PROXIMO mais"));
  EXPECT_FALSE(data::CmdBusca("N \"*.txt\" mais"));
}

TEST_F(DataFiles, SizesInBytesAndUnits) {
  struct Case {
    size_t bytes;
    const char* readable;
  } cases[] = {
      {0, "0.00 B"}, {512, "512.00 B"}, {1023, "1023.00 B"}, {1024, "1.00KB"}, {1536, "1.50KB"},
  };
  for (const Case& c : cases) {
    Write("t.bin", std::string(c.bytes, 'x'));
    ASSERT_TRUE(data::CmdTamarq("\"T.BIN\" S"));
    EXPECT_EQ(Var('S'), std::to_string(c.bytes));
    ASSERT_TRUE(data::CmdHtamarq("\"t.bin\" $TAMANHO"));
    std::string name = "$TAMANHO";
    int slot = 0;
    ASSERT_TRUE(interp::ReadVariableName(name, slot));
    EXPECT_EQ(interp::Variable(slot), c.readable);
  }
  EXPECT_FALSE(data::CmdTamarq("\"falta.bin\" S"));
  EXPECT_TRUE(ScreenHas("Erro na abertura do arquivo falta.bin"));
  EXPECT_FALSE(data::CmdHtamarq("\"falta.bin\" S"));
  EXPECT_FALSE(data::CmdTamarq("\"t.bin\""));
}

TEST(DataReadableSize, Units) {
  struct Case {
    int64_t bytes;
    char separator;
    const char* text;
  } cases[] = {
      {3145728, '.', "3.00 MB"},
      {3145728, ',', "3,00 MB"},
      {5368709120LL, '.', "5.00GB"},
      {1099511627776LL, '.', "1.00 TB"},
      {1125899906842624LL, '.', "1.00"},  // five divisions: no unit
      {1048575, '.', "1024.00KB"},
  };
  for (const auto& c : cases) EXPECT_EQ(data::ReadableSize(c.bytes, c.separator), c.text) << c.bytes;
}

TEST_F(DataFiles, SizesPastFourGibibytes) {
  const std::string path = root() + "/esparso.bin";
  {
    std::ofstream create(path);
  }
  ASSERT_EQ(::truncate(path.c_str(), 5368709120LL + 3), 0);  // sparse: takes no disk
  ASSERT_TRUE(data::CmdTamarq("\"esparso.bin\" S"));
  EXPECT_EQ(Var('S'), "5368709123");
  ASSERT_TRUE(data::CmdHtamarq("\"esparso.bin\" H"));
  EXPECT_EQ(Var('H'), "5.00GB");
}

}  // namespace
