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

// A voice folder of [TRADUTOR] in MIRANE.INI (DIRLETRAS, DIRDIFONES): the
// key's value, else `default_folder`. When the key is absent and the default
// folder does not exist, `subfolder` of the voice this build recorded, so an
// installed Tessel speaks with no settings at all.
std::string VoiceFolderSetting(const std::string& key, const std::string& default_folder, const std::string& subfolder,
                               size_t max_length);

// Upper-casing for keywords and names: a-z become A-Z and every byte from 224
// to 255 loses 32 (so "ç" becomes "Ç"); all other bytes stay.
std::string UpperCasePt(std::string text);
char UpperCasePt(char c);

}  // namespace speech
