#pragma once
// Abertura da base: reconhecer uma base do KOV antes de qualquer regra de versão e dizer ao
// usuário, em português, por que uma base não abriu e o que fazer.
#include <string>

namespace kov::fb {
class Transacao;
class ErroBanco;
}  // namespace kov::fb

namespace kov {

// Verdadeiro quando a base tem as tabelas que o KOV tem em todas as suas versões (desde a
// 7.00.04). Uma base de outro programa não é atualizada nem copiada: é recusada.
bool TemTabelasDoKOV(fb::Transacao& tr);

// Procura, nos bytes do arquivo e sem abri-lo como base, os nomes de tabelas do KOV que o
// catálogo do Firebird guarda. Abrir uma base grava no seu cabeçalho (contadores de conexão e
// de transação); esta leitura deixa decidir, antes disso, se o arquivo merece ser aberto no
// lugar ou conferido numa cópia. Falso não prova nada: só manda conferir na cópia.
bool PareceBaseDoKOV(const std::string& arquivo);

// Recusa de uma base Firebird que não é do KOV.
std::string MensagemBaseEstranha(const std::string& caminho);

// O que aconteceu e o que fazer, para as falhas de abertura que se reconhecem pelos códigos
// do servidor (arquivo ausente, sem permissão, aberto por outro programa, arquivo que não é
// base, base de outra versão do Firebird, base danificada); vazio para as demais.
std::string ExplicarFalhaAbertura(const fb::ErroBanco& e, const std::string& caminho);

}  // namespace kov
