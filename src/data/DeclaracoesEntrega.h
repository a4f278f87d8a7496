#pragma once
// As declarações que podem ser entregues (transmitidas ou gravadas) ou copiadas: as
// consistentes do ano base, com os filtros da tela de escolha, lidas por uma consulta com
// parâmetros.
#include <optional>
#include <string>
#include <vector>

namespace kov {

namespace fb { class Conexao; class Transacao; }

struct FiltroDeclaracoesEntrega {
    std::string anoBase;                  // ANOEXERCICIO
    std::string inscricao;                // dígitos da inscrição; vazio não filtra
    std::optional<int> mesInicio, mesFim;  // MESINICIAL >= início, MESFINAL <= fim
    bool naoTransmitidas = false;         // só as sem entrega ou com gravações (D)
};

struct LinhaDeclaracaoEntrega {
    std::string INSCESTADUAL, RAZAOSOCIAL;
    int PERIODO = 0, MESINICIAL = 0, MESFINAL = 0;
    std::string SUBSTITUICAO;
    int STATUS_ID = 0, TIPORECOLHIMENTO_ID = 0, DOCUMENTO_ID = 0;
    std::string MUDANCAMUNICIPIOANOCORRENTE;
    std::string SITUACAO;  // "T", "D", "N" (ou vazio quando as entregas não dizem nem T nem D)
};

// As linhas da consulta em ordem de inscrição, mês inicial e mês final. Com 'naoTransmitidas'
// a junção com TRANSMISSAO dá uma linha por entrega da declaração (quem lê pula as
// repetidas). Um ano base que não é número não acha nada.
std::vector<LinhaDeclaracaoEntrega> ListarDeclaracoesEntrega(fb::Conexao& c, const FiltroDeclaracoesEntrega& f);

// Verdadeiro quando a declaração da chave existe.
bool ExisteDeclaracao(fb::Transacao& tr, int documentoId);

}  // namespace kov
