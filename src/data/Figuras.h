#pragma once
// Os números derivados da declaração: os totais só de exibição, recalculados sempre que
// uma linha é mostrada; os totais gravados logo antes de salvar uma linha; as somas
// correntes das seções de várias linhas; a reconstrução dos totais de ENTRADA e SAIDA a
// partir das seis linhas por tipo de operação; e a apuração do KOV a partir da PRELO.
//
// Os valores são centavos exatos: arredondar para duas casas um valor guardado não o
// muda, por isso as somas aqui são simples somas. Só a regra dos 20 % arredonda, para
// reais inteiros, meio-para-par, sobre o valor exato.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "data/Declaracao.h"
#include "data/Referencia.h"

namespace kov {

namespace fb { class Conexao; }

// --- Campos calculados (só exibição) -------------------------------------------------

Dinheiro calcIniTotal(const Estoque& e);
Dinheiro calcFimTotal(const Estoque& e);
Dinheiro calcTotal(const DespesasOperacionais& d);
Dinheiro calcReceitaLiquida(const ResultadoOperacional& r);
Dinheiro calcLucroPrejuizo(const ResultadoOperacional& r);
Dinheiro calcLucroPrejuizoOperacional(const ResultadoOperacional& r);
Dinheiro calcTotalEntradas(const Kov& k);
Dinheiro calcTotalKOV(const Kov& k);
// Os totais das exclusões deixam de fora os cinco pares que a atualização da base
// juntou em OUTRAS (entrega futura, mercadoria com suspensão, simples remessa,
// armazenamento/depósito e consignação): esses campos não aparecem mais nas telas.
Dinheiro calcEntTotal(const ExclusoesKov& x);
Dinheiro calcSaiTotal(const ExclusoesKov& x);

// Uma das sete categorias do detalhamento por tipo de operação (a oitava, SUBTOTAL, é a
// soma delas). 'campoOPSICMS' é o nome do campo calculado que as telas mostram.
struct CategoriaES {
    const char* nome;          // "COMPRAVENDA", "TRANSFERENCIA", ...
    const char* campoOPSICMS;  // "calcOPSICMSCompraVenda", ...
    Quantia DetalhamentoES::*VC;
    Quantia DetalhamentoES::*BC;
    Quantia DetalhamentoES::*ICMS;
    Quantia DetalhamentoES::*OPSICMS;
};
const std::array<CategoriaES, 7>& CategoriasES();

// Operações sem crédito do imposto de uma categoria: valor contábil menos base de cálculo.
Dinheiro calcOPSICMS(const DetalhamentoES& d, const CategoriaES& categoria);
Dinheiro calcVCSubTotal(const DetalhamentoES& d);
Dinheiro calcBCSubTotal(const DetalhamentoES& d);
Dinheiro calcICMSSubTotal(const DetalhamentoES& d);
Dinheiro calcOPSICMSSubTotal(const DetalhamentoES& d);

std::string UF_DESCRICAO(const LinhaUF& uf);  // "SP - São Paulo"
std::string calcMesInicial(const Documento& doc);
std::string calcMesFinal(const Documento& doc);

// --- Situação de entrega -------------------------------------------------------------

// SITUACAO a partir das entregas (linhas de TRANSMISSAO) de uma declaração: "N" quando
// não há nenhuma; "T" quando alguma foi transmitida; senão "D" quando alguma foi gravada
// em disco; vazio quando as linhas não trazem nem 'T' nem 'D'.
std::string Situacao(const std::vector<LinhaTransmissao>& entregasDaDeclaracao);
// O mesmo sobre todas as entregas carregadas, escolhendo as da declaração; uma
// declaração ainda sem chave fica com a situação vazia.
std::string SituacaoDaDeclaracao(const std::vector<LinhaTransmissao>& todasAsEntregas,
                                 std::optional<int> documentoId);

// --- Totais gravados antes de salvar cada linha ----------------------------------------
// Só as colunas de total são escritas; as parcelas digitadas nunca mudam.

void TotaisAntesDeGravar(Estoque& e);
void TotaisAntesDeGravar(DespesasOperacionais& d);
void TotaisAntesDeGravar(ResultadoOperacional& r);
void TotaisAntesDeGravar(Kov& k);
void TotaisAntesDeGravar(ExclusoesKov& x);
void TotaisAntesDeGravar(DetalhamentoES& d);
// Todas as anteriores, sobre as seções presentes da declaração.
void TotaisAntesDeGravar(Declaracao& d);

// --- Somas correntes das seções de várias linhas ----------------------------------------
// Um valor nulo conta como zero (também dentro da soma contribuinte + não contribuinte).

struct SomasGIEntrada {
    Dinheiro agTotalVC, agTotalBC, agTotalOE, agTotalSP, agTotalSO;
};
SomasGIEntrada SomarGIEntrada(const std::vector<GIEntrada>& linhas);

struct SomasGISaidas {
    Dinheiro agTotalVC, agTotalBC;  // contribuinte + não contribuinte
    Dinheiro agTotalVCC, agTotalVCNC, agTotalBCC, agTotalBCNC, agTotalOS, agTotalST;
};
SomasGISaidas SomarGISaidas(const std::vector<GISaidas>& linhas);

enum class FiltroMudanca { Todas, SoMudancaMunicipio };
struct SomasDetalhamentoEntrada {
    Dinheiro agTotalValor, agTotalValorMudanca;
};
// SoMudancaMunicipio soma só as linhas com MUDANCAMUNICIPIO = 'S'.
SomasDetalhamentoEntrada SomarDetalhamentoEntrada(const std::vector<DetalhamentoEntrada>& linhas,
                                                  FiltroMudanca filtro = FiltroMudanca::Todas);

// --- Totais de entradas e saídas --------------------------------------------------------

// Refaz VCTOTAL, BCTOTAL, ICMSTOTAL, OPSEMICMSTOTAL de ENTRADA (tipos 1 a 3) e de SAIDA
// (tipos 4 a 6) com os subtotais gravados das linhas do detalhamento, e VCESTADO,
// VCOUTROS, VCEXTERIOR com o VCSUBTOTAL do tipo correspondente. Um tipo sem linha não
// soma nada e deixa a sua coluna como estava; uma seção ausente não é tocada.
void TotalizarEntradasSaidas(Declaracao& d);

// Soma de VCTRANSPORTE das saídas (tipos 4, 5 e 6).
Dinheiro SomarTransporteSaidas(const Declaracao& d);

// --- Apuração do KOV --------------------------------------------------------------------

// A: regime de débito/crédito, contribuinte que não é transportador, sem mudança no ano;
// B: regime de débito/crédito, qualquer outra combinação;
// C: outro regime com mudança de município ou baixa no ano (os valores ficam como estão);
// D: outro regime sem mudança, não transportador; E: outro regime sem mudança, transportador.
enum class CasoKOV { A, B, C, D, E };
bool RegimeCompleto(const Documento& doc);  // REGIME_ID 1, 2 ou 4
CasoKOV CasoDoKOV(const Documento& doc);

// Entradas presumidas dos casos B e E: 20 % de (saídas − produtos agropecuários),
// em reais inteiros arredondados meio-para-par sobre o valor exato.
Dinheiro EntradasVintePorCento(Dinheiro saidas, Dinheiro produtosAgrop);

// SAIDAS e ENTRADAS do KOV pela fórmula do caso. No caso C devolve os valores atuais.
struct FigurasKOV {
    Dinheiro saidas, entradas;
};
FigurasKOV FigurasDoKOV(const Declaracao& d, CasoKOV caso);

// Outras entradas do contribuinte de tipo 3: produtos agropecuários, energia elétrica,
// transporte tomado, cooperativa e os valores de mudança de município.
Dinheiro OutrasEntradasDeMudanca(const Declaracao& d);

// Calcula SAIDAS, ENTRADAS e OUTRASENTRADAS do KOV e os seus totais gravados. Cria a linha
// do KOV zerada quando falta; seções de ENTRADA, SAIDA ou exclusões ausentes contam zero.
void CalcularKOV(Declaracao& d);
// Tipo 0: OUTRASENTRADAS = SAIDAS − ENTRADAS; tipo 3: OutrasEntradasDeMudanca; nos demais
// tipos ficam as digitadas. Sem linha do KOV não faz nada.
void CalcularOutrasEntradas(Declaracao& d);

// --- Consultas à base ---------------------------------------------------------------------

// Verdadeiro quando a soma de VCTRANSFERENCIA gravada nas entradas (tipos 1 e 2),
// respectivamente nas saídas (tipos 4 e 5), da declaração é maior que zero.
// Os erros da base seguem com o próprio texto.
bool ExisteTransferenciaEntradas(fb::Conexao& c, int documentoId);
bool ExisteTransferenciaSaidas(fb::Conexao& c, int documentoId);

}  // namespace kov
