#pragma once
// Parâmetros da tabela PARAMETROS vistos de fora das telas: quais existem, qual pode ser
// gravado e que valores o ano base aceita. A versão da base só muda pela atualização.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kov {

namespace fb { class Conexao; }

// Primeiro ano base que o programa oferece; o último é o ano corrente do computador.
constexpr int PRIMEIRO_ANO_BASE = 2005;

// Nome e valor de cada parâmetro gravado, em ordem de nome.
std::vector<std::pair<std::string, std::string>> ListarParametros(fb::Conexao& c);

// Valor do parâmetro (nome sem distinguir maiúsculas); vazio quando não existe.
std::optional<std::string> LerParametroExistente(fb::Conexao& c, const std::string& nome);

// Ano base aceito pela tela de parâmetros: de PRIMEIRO_ANO_BASE até 'anoAtual'. Lança
// ErroSistema com a faixa aceita quando o valor não serve.
void ValidarAnoBase(const std::string& valor, int anoAtual);

// Ano corrente do relógio do computador.
int AnoAtual();

}  // namespace kov
