// settings: MIRANE.INI as every part of the system reads it.
#pragma once
#include <string>

namespace speech {

// The start folder (the working folder at program start), recorded once.
void RecordStartFolder();
const std::string& StartFolder();

// One value of MIRANE.INI, empty when absent; an empty section means
// [MIRANE]. MIRANE.INI is taken from the Windows folder when it is there,
// else from the start folder. "@" at the start of the value, and the "@" of
// every "@\" in it, stand for the base folder ([MIRANE] PGMMIRANE, else the
// start folder).
std::string ReadSetting(const std::string& section, const std::string& key);

// Upper-casing for keywords and names: a-z become A-Z and every byte from 224
// to 255 loses 32 (so "ç" becomes "Ç"); all other bytes stay.
std::string UpperCasePt(std::string text);
char UpperCasePt(char c);

}  // namespace speech
