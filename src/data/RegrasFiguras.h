#pragma once
// Regras das páginas das figuras da declaração (PRELO, KOV e GI) e das telas de
// detalhamento de entradas e saídas: a variante da PRELO, as figuras travadas (somente
// leitura e zeradas) conforme o regime, a apuração e o tipo de contribuinte, a
// disponibilidade da GI e dos ajustes de transferência, e as conferências das telas de
// detalhamento por tipo de operação.
#include <optional>
#include <string>

#include "data/Declaracao.h"

namespace kov {

// Seções de uma linha que as páginas das figuras editam.
enum class SecaoFigura { Estoque, Despesas, Resultado, Entrada, Saida, Kov, Exclusoes };
// Nome da seção como fonte dos controles das telas ("estoque", "entrada"...).
const char* NomeSecao(SecaoFigura s);
std::optional<SecaoFigura> SecaoPeloNome(const std::string& nome);

// A PRELO de débito/crédito (regimes 1, 2 e 4); senão a simplificada.
bool PreloDebitoCredito(const Documento& doc);
// Com escrita contábil, a demonstração do resultado; sem, as despesas operacionais.
bool ComEscritaContabil(const Documento& doc);

// A figura fica somente leitura (e zerada) para esta declaração.
bool FiguraTravada(const Documento& doc, SecaoFigura secao, const std::string& campo);
// Zera as figuras travadas das seções presentes. Nos regimes de débito/crédito os totais de
// ENTRADA e SAIDA vindos do detalhamento por tipo de operação são refeitos em seguida: os
// campos da variante simplificada que se zeram são os mesmos que esses totais ocupam.
void ZerarFigurasTravadas(Declaracao& d);

// GI não se informa no regime 3 nem nos regimes 5 e 6 com apuração "Presumida".
bool GIDisponivel(const Documento& doc);
// Apaga as linhas de GI de entradas e de saídas.
void ApagarGI(Declaracao& d);
extern const char* const MSG_GI_INDISPONIVEL;  // "Não é possível informar GI"

// Valores de transferência no detalhamento em memória: entradas (tipos 1 e 2) e saídas
// (tipos 4 e 5). Liberam os ajustes de transferência das exclusões do KOV.
bool ExisteTransferenciaEntradas(const Declaracao& d);
bool ExisteTransferenciaSaidas(const Declaracao& d);

// --- Detalhamento por tipo de operação --------------------------------------------------

// Primeira linha do detalhamento: " Compras" nas entradas (tipos 1 a 3), " Vendas" nas saídas.
std::string RotuloCompraVenda(int tipoOperacao);
// Título da tela de detalhamento do tipo (1 a 6): "Entradas do Estado"... "Saidas para o Exterior".
const char* TituloDetalhamento(int tipoOperacao);
bool TipoDeSaida(int tipoOperacao);

// Conferência de gravação de uma linha: base de cálculo sem ICMS ou sem valor contábil, por
// categoria na ordem da tabela; a primeira que falha dá a mensagem e o campo a focar.
struct RecusaDetalhamento {
    std::string mensagem;
    std::string campo;
};
std::optional<RecusaDetalhamento> ConferirDetalhamentoES(const DetalhamentoES& l);

// Produtos agropecuários acima do subtotal do valor contábil das entradas do estado.
bool ProdutosAgropAcimaDoSubtotal(const Entrada& e, const DetalhamentoES& estado);
extern const char* const MSG_PRODUTOS_AGROP;

}  // namespace kov
