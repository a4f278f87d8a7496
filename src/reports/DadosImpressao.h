#pragma once
// Tudo o que os formulários impressos mostram de uma declaração, lido de uma vez numa
// transação de leitura: o agregado da declaração, o contribuinte, o responsável, as
// entregas e as descrições das tabelas de referência.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data/Declaracao.h"
#include "data/Entregas.h"
#include "data/Referencia.h"
#include "data/Registros.h"

namespace kov {
class Tdm;
namespace fb { class Conexao; }
}  // namespace kov

namespace kov::relatorios {

struct DadosImpressao {
    Declaracao d;
    Contribuinte contribuinte;
    std::optional<Responsavel> responsavel;
    std::vector<Entrega> entregas;        // em ordem de DATA, HORA
    std::string MUNICIPIO_CONTRIBUINTE;   // nome do município do contribuinte
    std::string TITULO_CONTRIBUINTE;      // tipo do contribuinte
    std::string ANOEXERCICIO;             // ano base dos parâmetros
    std::map<int, std::string> municipios;      // CODDRUMUNICIPIO -> nome
    std::map<int, std::string> tiposOperacao;   // TIPOOPERACAO_ID -> descrição

    std::string nomeMunicipio(std::optional<int> codigo) const;
    std::string descricaoTipoOperacao(int tipo) const;
};

// Lê a declaração 'documentoId'; lança ErroSistema quando ela não existe.
DadosImpressao CarregarDadosImpressao(fb::Conexao& c, const TabelasReferencia& ref, int documentoId);
// O mesmo pela conexão, referências e parâmetro ANOEXERCICIO do módulo de dados.
DadosImpressao CarregarDadosImpressao(Tdm& dm, int documentoId);

}  // namespace kov::relatorios
