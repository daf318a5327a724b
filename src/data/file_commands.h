// file_commands: the script commands over slots, files and folders.
//
// Each handler takes the trimmed argument text of its line and returns
// success or failure; the failures the user must hear are written and
// spoken first.
#pragma once
#include <cstdint>
#include <string>

namespace data {

bool CmdAbre(const std::string& arguments);      // ABRE #n name [&]
bool CmdFecha(const std::string& arguments);     // FECHA #n
bool CmdCheca(const std::string& arguments);     // CHECA V
bool CmdRemove(const std::string& arguments);    // REMOVE name [&]
bool CmdRenomeia(const std::string& arguments);  // RENOMEIA old new [&]
bool CmdReplica(const std::string& arguments);   // REPLICA source target [&]
bool CmdDir(const std::string& arguments);       // DIR CRIA|REMOVE|TROCA name [&]
bool CmdBusca(const std::string& arguments);     // BUSCA V [DIR] pattern | DIR | PROXIMO | FIM
bool CmdTamarq(const std::string& arguments);    // TAMARQ name V
bool CmdHtamarq(const std::string& arguments);   // HTAMARQ name V

// The HTAMARQ text of a size: two decimals with `separator`, then " B",
// "KB", " MB", "GB" or " TB" by the number of divisions by 1024.
std::string ReadableSize(int64_t bytes, char separator);

// Ends the directory search (program start, tests).
void EndDirectorySearch();

}  // namespace data
