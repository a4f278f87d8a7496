#pragma once
// Chaves de CONTRIBUINTE, DOCUMENTO, TRANSMISSAO e RESPONSAVEL: só vêm de SP_GERACODIGO.
#include <string>

namespace kov {

namespace fb { class Conexao; class Transacao; }

// Próximo código da tabela ('CONTRIBUINTE', 'DOCUMENTO', 'TRANSMISSAO' ou 'RESPONSAVEL').
// O gerador avança mesmo que a linha seja depois descartada. Falhas do servidor sobem
// com o texto do servidor.
int ProximoCodigo(fb::Conexao& c, const std::string& tabela);
int ProximoCodigo(fb::Transacao& tr, const std::string& tabela);

}  // namespace kov
