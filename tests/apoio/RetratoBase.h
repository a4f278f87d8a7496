#pragma once
// Retrato completo de uma base para comparar duas bases que deveriam ser iguais (uma
// atualização limpa e uma interrompida e retomada): cada tabela com as suas colunas e todas
// as linhas, os índices, as restrições, os geradores e os procedimentos. Nomes que o Firebird
// gera sozinho (INTEG_n, RDB$PRIMARYn...) ficam de fora: dependem de quantas vezes um comando
// foi tentado, não do resultado.
#include <string>

namespace kov::teste {

std::string RetratoBase(const std::string& banco);

}  // namespace kov::teste

namespace kov::teste {

// Só as tabelas, as suas linhas e os geradores: o que uma cópia e restauração da base precisa
// trazer de volta. A reconstrução pelo gbak refaz o catálogo e muda detalhes que não são dados
// (o subtipo gravado das colunas de data).
std::string RetratoDados(const std::string& banco);

}  // namespace kov::teste
