#pragma once
// Linhas das tabelas de referência, carregadas uma vez depois da verificação da base.
#include <optional>
#include <string>
#include <vector>

#include "data/Dinheiro.h"
#include "data/fb/Valor.h"

namespace kov {

struct LinhaUF { std::string UF_ID, DESCRICAO; };
struct LinhaMunicipio { int CODDRUMUNICIPIO = 0; int MUNICIPIO_ID = 0; std::string DESCRICAO; };
struct LinhaRegime { int REGIME_ID = 0; std::optional<int> CODIGO; std::string DESCRICAO; Dinheiro PERCENTUAL; };
struct LinhaStatusDoc { int STATUSDOC_ID = 0; std::string DESCRICAO; };
struct LinhaTipoContribuinte { int TIPOCONTRIBUINTE_ID = 0; std::string TITULO; };
struct LinhaTipoOperacao { int TIPOOPERACAO_ID = 0; std::string DESCRICAO; };
struct LinhaTipoRecolhimento { int TIPORECOLHIMENTO_ID = 0; std::string DESCRICAO; };
struct LinhaConsistencia {
    std::string ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO;
};
struct LinhaCNAEF {
    std::string CNAEF_ID, DESMEMBRAMENTO, DESCRICAO;
    fb::Data DATA_INICIO, DATA_FIM;
};
struct LinhaTransmissao {
    int TRANSMISSAO_ID = 0;
    std::optional<int> DOCUMENTO_ID;
    std::string HORA;
    std::optional<fb::Data> DATA;
    std::string PROTOCOLO, TIPOTRANSMISSAO;
    std::optional<int> STATUS;
};

// Conjunto das tabelas de referência (os "datasets" de referência do módulo de dados).
struct TabelasReferencia {
    std::vector<LinhaTipoContribuinte> cdsTipoContribuinte;
    std::vector<LinhaTipoOperacao> cdsTipoOperacao;
    std::vector<LinhaTransmissao> cdsTransmissao;      // ordem DATA, HORA
    std::vector<LinhaUF> cdsUF;
    std::vector<LinhaCNAEF> cdsCNAEF;                  // todas as linhas, ordem CNAEF_ID, DESMEMBRAMENTO
    std::vector<LinhaMunicipio> cdsMunicipio;          // ordem DESCRICAO
    std::vector<LinhaRegime> cdsRegime;
    std::vector<LinhaStatusDoc> cdsStatusDoc;
    std::vector<LinhaConsistencia> cdsConsistencias;
    std::vector<LinhaTipoRecolhimento> cdsTipoRecolhimento;
    bool abertas = false;

    void fechar() { *this = TabelasReferencia{}; }
};

}  // namespace kov
