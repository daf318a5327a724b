// lists: the named lists of texts scripts keep in memory, and LISTA.
//
// Twenty slots, each empty or holding one list; a list takes the first empty
// slot when created. Names are unique and compared with case ([Nomes] and
// [NOMES] are two lists).
#pragma once
#include <string>
#include <vector>

namespace data {

constexpr int kMaxLists = 20;

// LISTA [name] CRIA | APAGA | TAMANHO V | ITEM n V | ADICIONA text | DELETA text
bool CmdLista(const std::string& arguments);

// The items of the list of that name, or null when there is none.
const std::vector<std::string>* FindList(const std::string& name);

// Program start: every list destroyed, every slot empty.
void ResetLists();

}  // namespace data
