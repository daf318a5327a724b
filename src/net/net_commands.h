// net_commands: the script commands of the network: INTERNET, CONECTA,
// ATIVASSL, SERVE, OBSERVA, IP, TRAZDAREDE and HTTP. Connections live in
// the slots of the open-file table, where ESCREVE, LE, CHECA and FECHA reach
// them.
#pragma once
#include <string>

namespace net {

bool CmdInternet(const std::string& arguments);    // INTERNET INICIA | TERMINA
bool CmdConecta(const std::string& arguments);     // CONECTA [SSL] #n host port [&]
bool CmdAtivassl(const std::string& arguments);    // ATIVASSL #n
bool CmdServe(const std::string& arguments);       // SERVE #n port
bool CmdObserva(const std::string& arguments);     // OBSERVA TECLADO V | OBSERVA #n V
bool CmdIp(const std::string& arguments);          // IP LOCAL|REMOTO #n V
bool CmdTrazdarede(const std::string& arguments);  // TRAZDAREDE url file mode agent cookie V
bool CmdHttp(const std::string& arguments);        // HTTP V

// The percent-encoding of HTTP: every byte but ASCII letters, digits and
// "-._~" becomes "%" and two upper-case hexadecimal digits.
std::string PercentEncode(const std::string& text);

}  // namespace net
