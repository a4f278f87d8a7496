#pragma once
// A consistência da declaração ("consistir"): uma sequência fixa de cruzamentos entre as
// seções, cada um com o seu código E001..E039 (mensagem e dica vêm da tabela
// CONSISTENCIAS), seguida da conferência de todos os totais gravados (erros "00").
// O resultado vai para as listas de erros em memória e para o STATUS_ID da declaração:
// 1 quando a consistência achou algum erro, 2 quando está consistente.
#include <string>
#include <vector>

#include "data/Declaracao.h"
#include "data/Referencia.h"

namespace kov {

namespace fb { class Conexao; class Transacao; }
class Tdm;

// Uma linha de cdsErros: a declaração, o código (ou "00" nos totais), mensagem e dica.
struct LinhaErro {
    int Documento = 0;
    std::string Erro;  // 4 caracteres: "E001".."E039", ou "00"
    std::string Mensagem, Dica;
};

// Uma linha de cdsDocumentosErros: cada declaração consistida desde que as listas foram
// esvaziadas, com os meses por extenso.
struct LinhaDocumentoErros {
    int Documento = 0;
    std::string IEContribuinte, Contribuinte;
    int Periodo = 0;
    std::string MesInicial, MesFinal;
};

// As duas listas da consistência. Vivem durante o lote: quem começa um lote novo as
// esvazia; as linhas das declarações anteriores ficam enquanto o lote continua.
struct ListasConsistencia {
    std::vector<LinhaErro> cdsErros;
    std::vector<LinhaDocumentoErros> cdsDocumentosErros;

    void esvaziar();
    // Os erros de uma declaração, na ordem em que foram achados (o filtro da lista de erros
    // pela declaração corrente da lista de documentos).
    std::vector<LinhaErro> errosDe(int documento) const;
    bool temDocumento(int documento) const;
};

// Onde o usuário corrige um erro, pela linha do código em CONSISTENCIAS: nenhum lugar
// (FORMULARIO 0 e códigos sem linha), o editor da declaração numa página e aba, ou uma tela
// de detalhamento de entradas/saídas pelo tipo de operação. Os totais ("00") vão ao editor.
enum class FormaCorrecao { Nenhuma, Editor, Detalhamento };
enum class PaginaCorrecao { Nenhuma, Documento, Prelo, KOV, GI };
struct DestinoCorrecao {
    FormaCorrecao forma = FormaCorrecao::Nenhuma;
    PaginaCorrecao pagina = PaginaCorrecao::Nenhuma;  // só no editor; Nenhuma não força página
    std::string aba;        // ABA da linha ("SAIDAS", "MUDANCAMUNICIPIO"...), como está na tabela
    std::string campo;      // coluna do campo a focar, vazia quando não há
    int tipoOperacao = 0;   // 1 a 6 na tela de detalhamento
};
DestinoCorrecao DestinoDaCorrecao(const std::string& erro, const std::vector<LinhaConsistencia>& consistencias);
// Onde o erro se corrige, com os títulos que a tela mostra: 'Editor da declaração, página
// "GI", aba "Saidas", campo "Valor Contábil Contribuinte"', 'Tela "Saidas para o Exterior"'.
// A lista de consistências e o kov-cli dizem o mesmo.
std::string OndeCorrigir(const DestinoCorrecao& destino);

// Status da declaração depois da consistência
constexpr int STATUS_INCONSISTENTE = 1;
constexpr int STATUS_CONSISTENTE = 2;

// Acrescenta a cdsErros a linha do código com a MENSAGEM e a DICA da sua linha de
// CONSISTENCIAS; um código sem linha não acrescenta nada. Devolve se acrescentou.
bool IncluirErro(ListasConsistencia& listas, const std::vector<LinhaConsistencia>& consistencias, int documento,
                 const std::string& codigo);

// Conferência dos totais gravados contra os recalculados; acrescenta as linhas "00".
// Devolve quantas linhas acrescentou.
int VerificarTotais(const Declaracao& d, ListasConsistencia& listas);

// O que a consistência precisa além da declaração.
struct ContextoConsistencia {
    fb::Conexao& conexao;                                 // conflito de período e gravação
    const Contribuinte& contribuinte;                     // contribuinte da declaração
    const std::vector<LinhaConsistencia>& consistencias;  // linhas de CONSISTENCIAS
    const std::vector<LinhaCNAEF>& cnaefDoAnoBase;        // CNAE-F válidos no ano base
};

// Consiste a declaração: acrescenta os seus erros às listas, refaz os totais de entradas e
// saídas dos regimes de débito/crédito e grava STATUS_ID (1 com erros nesta consistência,
// 2 sem) junto com os totais refeitos. Devolve o status gravado.
int ConsistirDocumento(Declaracao& d, const ContextoConsistencia& ctx, ListasConsistencia& listas);
// O mesmo dentro da transação de quem chama, que confirma e depois chama MarcarComoGravada.
int ConsistirDocumento(fb::Transacao& tr, Declaracao& d, const ContextoConsistencia& ctx, ListasConsistencia& listas);

// O mesmo pela chave, com o módulo de dados: carrega a declaração e o contribuinte e usa
// as consistências e os CNAE-F do ano base já abertos no módulo.
int ConsistirDocumento(Tdm& dm, int documentoId, ListasConsistencia& listas);

// A gravação da declaração e a consistência que a segue numa transação só: interrompida no
// meio, a base fica com a declaração e o status de antes, ou com os dois de depois (nunca os
// valores novos com o status da consistência anterior). Devolve o status gravado.
int SalvarEConsistir(Tdm& dm, Declaracao& d, const Contribuinte& contribuinte, int anoCorrente,
                     const std::string& anoExercicio, ListasConsistencia& listas);

}  // namespace kov
