// MIDI and SENSOR: the messages the commands send (recorded), the ALSA
// sequencer where the kernel has one, and the simulated sensor matrix.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "automation/commands.h"
#include "interpreter/operands.h"
#include "platform/log.h"
#include "platform/midi/midi.h"
#include "platform/portio/portio.h"
#include "test_support.h"

namespace {

using Messages = std::vector<std::vector<uint8_t>>;

class AutomationDevices : public ::testing::Test {
 protected:
  void SetUp() override { platform::midi::RecordInto(&sent_); }
  void TearDown() override {
    automation::CmdMidi("TERMINA");
    platform::midi::RecordInto(nullptr);
    platform::portio::UseHardware();
  }
  test_support::HeadlessConsole console_;
  Messages sent_;
};

TEST_F(AutomationDevices, MidiSendsShortMessagesWhileOpen) {
  EXPECT_FALSE(automation::CmdMidi("NL 1 60 100")) << "closed";
  EXPECT_FALSE(automation::CmdMidi("TERMINA")) << "closed";
  ASSERT_TRUE(automation::CmdMidi("inicia"));
  EXPECT_FALSE(automation::CmdMidi("INICIA")) << "already open";
  EXPECT_EQ(sent_, (Messages{{255}, {63}}));
  sent_.clear();
  struct Case {
    const char* arguments;
    bool ok;
    std::vector<uint8_t> message;
  } cases[] = {
      {"NL 1 60 100", true, {0x90, 60, 100}},
      {"nd 16 60", true, {0x9F, 60, 0}},
      {"TT 1 0", true, {0xC0, 0}},
      {"TT 10 127", true, {0xC9, 127}},
      {"NL 17 60 100", false, {}},
      {"NL 0 60 100", false, {}},
      {"NL 1 128 100", false, {}},
      {"NL 1 60", false, {}},
      {"ND 1 60 sobra", false, {}},
      {"TT um 1", false, {}},
      {"XY 1 1", false, {}},
  };
  for (const Case& c : cases) {
    sent_.clear();
    EXPECT_EQ(automation::CmdMidi(c.arguments), c.ok) << c.arguments;
    EXPECT_EQ(sent_, c.ok ? Messages{c.message} : Messages{}) << c.arguments;
  }
  sent_.clear();
  ASSERT_TRUE(automation::CmdMidi("PANE"));
  ASSERT_EQ(sent_.size(), 2048u);
  EXPECT_EQ(sent_.back(), (std::vector<uint8_t>{0x9F, 127, 0}));
  ASSERT_TRUE(automation::CmdMidi("TERMINA"));
  EXPECT_FALSE(automation::CmdMidi("PANE"));
}

TEST_F(AutomationDevices, MidiReachesTheAlsaSequencer) {
  struct stat info{};
  if (stat("/dev/snd/seq", &info) != 0) GTEST_SKIP() << "this kernel has no ALSA sequencer (/dev/snd/seq)";
  platform::midi::RecordInto(nullptr);
  ASSERT_TRUE(automation::CmdMidi("INICIA"));
  EXPECT_TRUE(automation::CmdMidi("NL 1 60 100"));
  EXPECT_TRUE(automation::CmdMidi("ND 1 60"));
  EXPECT_TRUE(automation::CmdMidi("TERMINA"));
}

TEST_F(AutomationDevices, SensorScansTheMatrix) {
  // Without the port: said once per attempt, and no sensor.
  platform::portio::SimulateMissing();
  ASSERT_TRUE(automation::CmdSensor("V"));
  EXPECT_EQ(interp::Variable('V'), "0");
  EXPECT_NE(console::ScreenRow(1).find("inpout32.dll n\xE3o dispon\xEDvel."), std::string::npos);
  // Tried again on the next use: now the matrix is there.
  platform::portio::SimulateMatrix(0);
  ASSERT_TRUE(automation::CmdSensor("V"));
  EXPECT_EQ(interp::Variable('V'), "0");
  struct Case {
    uint32_t active;
    const char* first;
  } cases[] = {
      {1u << 10, "11"},  // row 2, status bit 0x20
      {1u << 0, "1"},
      {1u << 31, "32"},
      {(1u << 31) | (1u << 5), "6"},
  };
  for (const Case& c : cases) {
    platform::portio::SimulateMatrix(c.active);
    ASSERT_TRUE(automation::CmdSensor("V"));
    EXPECT_EQ(interp::Variable('V'), c.first);
  }
  EXPECT_FALSE(automation::CmdSensor(""));
}

}  // namespace
