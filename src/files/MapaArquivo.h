#pragma once
// Os elementos do arquivo de declaração e as colunas de onde vêm (e para onde voltam): uma
// tabela só para o escritor e o leitor, na ordem em que os elementos aparecem no arquivo.
#include <span>

#include "data/Registros.h"

namespace kov {

template <class L>
struct CampoArquivo {
    const char* elemento;
    Quantia L::*membro;
};
template <class L>
using CamposArquivo = std::span<const CampoArquivo<L>>;

// prelo/estoque/valor_inicial e valor_final
inline constexpr CampoArquivo<Estoque> ESTOQUE_INICIAL[] = {
    {"tributados", &Estoque::INITRIBUTADOS}, {"sujeitos_st", &Estoque::INISST}, {"isentos", &Estoque::INIISENTO},
    {"outros", &Estoque::INIOUTROS},         {"total", &Estoque::INITOTAL}};
inline constexpr CampoArquivo<Estoque> ESTOQUE_FINAL[] = {
    {"tributados", &Estoque::FIMTRIBUTADOS}, {"sujeitos_st", &Estoque::FIMSST}, {"isentos", &Estoque::FIMISENTO},
    {"outros", &Estoque::FIMOUTROS},         {"total", &Estoque::FIMTOTAL}};

// prelo/despesas_operacionais
inline constexpr CampoArquivo<DespesasOperacionais> DESPESAS[] = {
    {"prolabore", &DespesasOperacionais::PROLABORE},
    {"salarios_comissoes", &DespesasOperacionais::SALARIOSCOMISSOES},
    {"encargos_sociais", &DespesasOperacionais::ENCARGOSSOCIAIS},
    {"servicos_profissionais", &DespesasOperacionais::SERVICOSPROF},
    {"propaganda_publicidade", &DespesasOperacionais::PROPAGANDAPUB},
    {"tributos_taxas", &DespesasOperacionais::TRIBUTOSTAXAS},
    {"alugueis_condominios", &DespesasOperacionais::ALUGUELCOND},
    {"agua_luz_telefone", &DespesasOperacionais::AGUALUZTEL},
    {"frete_carreto", &DespesasOperacionais::FRETECARRETO},
    {"combustivel_lubrificante", &DespesasOperacionais::COMBUSTIVEL},
    {"seguro", &DespesasOperacionais::SEGURO},
    {"despesa_financeira", &DespesasOperacionais::DESPESAFINACEIRA},
    {"despesa_geral", &DespesasOperacionais::DESPESAGERAIS},
    {"outras", &DespesasOperacionais::OUTRAS},
    {"total", &DespesasOperacionais::TOTAL}};

// prelo/demonstracao_resultado_operacional
inline constexpr CampoArquivo<ResultadoOperacional> RESULTADO[] = {
    {"receita_bruta", &ResultadoOperacional::RECEITABRUTA},
    {"devolucao_abatimento", &ResultadoOperacional::DEVOLUCAOABATIMENTO},
    {"imposto", &ResultadoOperacional::IMPOSTO},
    {"receita_liquida", &ResultadoOperacional::RECEITALIQUIDA},
    {"cms_cps_csp", &ResultadoOperacional::CMSCPSCSP},
    {"lucro_prejuizo_bruto", &ResultadoOperacional::LUCROPREJUIZOBRUTO},
    {"despesa_operacional", &ResultadoOperacional::DESPESAOPERACIONAL},
    {"outras_receitas_operacionais", &ResultadoOperacional::OUTRASRECEITASOPERACIONAIS},
    {"outras_despesas_operacionais", &ResultadoOperacional::OUTRASDESPESASOPERACIONAIS},
    {"correcao_monetaria", &ResultadoOperacional::CORRECAOMONETARIA},
    {"lucro_prejuizo_operacional", &ResultadoOperacional::LUCROPREJUIZOOPERACIONAL}};

// prelo/entrada e prelo/saida: valor_contabil_total sem o total (que o leitor põe em VCTOTAL
// ou em VCTOTALSIMPLES), os totais comuns e as colunas próprias de cada lado.
template <class L>
inline constexpr CampoArquivo<L> VALOR_CONTABIL_PARCELAS[] = {
    {"estado", &L::VCESTADO}, {"outros_estados", &L::VCOUTROS}, {"exterior", &L::VCEXTERIOR}};
template <class L>
inline constexpr CampoArquivo<L> TOTAIS_ENTRADA_SAIDA[] = {{"base_calculo_total", &L::BCTOTAL},
                                                           {"icms_total", &L::ICMSTOTAL},
                                                           {"operacao_sem_icms_total", &L::OPSEMICMSTOTAL},
                                                           {"ajuste_transferencia", &L::AJUSTETRANSFERENCIA},
                                                           {"autuacao_denuncia", &L::AUTUACAODENUNCIA}};
inline constexpr CampoArquivo<Entrada> PROPRIAS_ENTRADA[] = {{"produto_agropecuario", &Entrada::PRODUTOSAGROP},
                                                             {"energia_eletrica", &Entrada::ENERGIAELETRICA}};
inline constexpr CampoArquivo<Saida> PROPRIAS_SAIDA[] = {{"transporte_tomado", &Saida::TRANSPORTETOMADO},
                                                         {"cooperativa", &Saida::COOPERATIVA}};

// Os grupos estado, outros_estados e exterior (tipos de operação 1 a 3 em entrada, 4 a 6 em
// saida): quatro medidas (prefixo da coluna) com oito espécies (sufixo), 32 colunas de
// DETALHAMENTOES.
struct NomeParte {
    const char* elemento;
    const char* parte;
};
inline constexpr const char* GRUPOS_OPERACAO[] = {"estado", "outros_estados", "exterior"};
inline constexpr NomeParte MEDIDAS_OPERACAO[] = {
    {"valor_contabil", "VC"}, {"base_calculo", "BC"}, {"icms", "ICMS"}, {"operacao_sem_icms", "OPSICMS"}};
inline constexpr NomeParte ESPECIES_OPERACAO[] = {
    {"total", "SUBTOTAL"},          {"compra", "COMPRAVENDA"},         {"transferencia", "TRANSFERENCIA"},
    {"devolucao", "DEVOLUCAO"},     {"energia_eletrica", "ENERGIAELETRICA"}, {"comunicacao", "COMUNICACAO"},
    {"transporte", "TRANSPORTE"},   {"outras", "OUTRAS"}};
// Coluna de DETALHAMENTOES de uma medida e uma espécie (ex.: VC + SUBTOTAL = VCSUBTOTAL).
Quantia DetalhamentoES::*ColunaOperacao(size_t medida, size_t especie);

// kov/exclusoes/entrada e saida, na ordem do arquivo.
inline constexpr CampoArquivo<ExclusoesKov> EXCLUSOES_ENTRADA[] = {
    {"parcela_icms_retido", &ExclusoesKov::ENTICMSST},
    {"entrega_futura", &ExclusoesKov::ENTENTREGAFUTURA},
    {"parcela_ipi", &ExclusoesKov::ENTIPI},
    {"ativo_imobilizado", &ExclusoesKov::ENTATIVOIMOBILIZADO},
    {"material_uso_consumo", &ExclusoesKov::ENTMATERIALUSO},
    {"mercadoria_suspensao_icms", &ExclusoesKov::ENTMERCADORIASUSP},
    {"simples_remessa", &ExclusoesKov::ENTSIMPLESREMESSA},
    {"energia_eletrica_comunicacao", &ExclusoesKov::ENTENERGIAELETRICACOMUNICACAO},
    {"transporte", &ExclusoesKov::ENTTRANSPORTE},
    {"subcontratacao_servicos_transporte", &ExclusoesKov::ENTSUBCONTRATACAOTRANSPORTE},
    {"remessa_retorno_armazenamento_deposito", &ExclusoesKov::ENTARMAZENAMENTODEPOSITO},
    {"remessa_retorno_consignacao", &ExclusoesKov::ENTCONSIGNACAO},
    {"outras", &ExclusoesKov::ENTOUTRAS},
    {"ajuste", &ExclusoesKov::ENTAJUSTETRANSFERENCIA},
    {"total", &ExclusoesKov::ENTTOTAL}};
inline constexpr CampoArquivo<ExclusoesKov> EXCLUSOES_SAIDA[] = {
    {"parcela_icms_retido", &ExclusoesKov::SAIICMSST},
    {"entrega_futura", &ExclusoesKov::SAIENTREGAFUTURA},
    {"parcela_ipi", &ExclusoesKov::SAIIPI},
    {"ativo_imobilizado", &ExclusoesKov::SAIATIVOIMOBILIZADO},
    {"material_uso_consumo", &ExclusoesKov::SAIMATERIALUSO},
    {"mercadoria_suspensao_icms", &ExclusoesKov::SAIMERCADIORIASUSP},
    {"simples_remessa", &ExclusoesKov::SAISIMPLESREMESSA},
    {"transporte_iniciado_outra_uf", &ExclusoesKov::SAITRANPORTESINICIADOOUTRA},
    {"remessa_retorno_armazenamento_deposito", &ExclusoesKov::SAIARMAZENAMENTODEPOSITO},
    {"remessa_retorno_consignacao", &ExclusoesKov::SAICONSIGNACAO},
    {"outras", &ExclusoesKov::SAIOUTRAS},
    {"ajuste", &ExclusoesKov::SAIAJUSTETRANSFERENCIA},
    {"total", &ExclusoesKov::SAITOTAL}};
// As cinco espécies que o leitor soma em "outras" (e não restaura nas suas colunas).
inline constexpr const char* EXCLUSOES_DOBRADAS[] = {"simples_remessa", "mercadoria_suspensao_icms",
                                                     "remessa_retorno_armazenamento_deposito", "entrega_futura",
                                                     "remessa_retorno_consignacao"};

// kov/tessiva: antes e depois de outras_entradas
inline constexpr CampoArquivo<Kov> KOV_INICIO[] = {{"saidas", &Kov::SAIDAS}, {"entrada", &Kov::ENTRADAS}};
inline constexpr CampoArquivo<Kov> KOV_FIM[] = {{"total_entradas", &Kov::TOTALENTRADAS}, {"total", &Kov::TOTALKOV}};

// Os itens de gi/entrada/detalhamento e gi/saida/detalhamento, depois de uf.
inline constexpr CampoArquivo<GIEntrada> GI_ENTRADA[] = {{"valor_contabil", &GIEntrada::VALORCONTABIL},
                                                         {"base_calculo", &GIEntrada::BASECALCULO},
                                                         {"outras_entradas", &GIEntrada::OUTRASENTRADAS},
                                                         {"st_petroleo", &GIEntrada::STPETROLEO},
                                                         {"st_outros", &GIEntrada::STOUTROS}};
inline constexpr CampoArquivo<GISaidas> GI_SAIDAS[] = {
    {"valor_contabil_contribuinte", &GISaidas::VALORCONTABILCONT},
    {"valor_contabil_nao_contribuinte", &GISaidas::VALORCONTABILNAOCONT},
    {"base_calculo_contribuinte", &GISaidas::BASECALCULOCONT},
    {"base_calculo_nao_contribuinte", &GISaidas::BASECALCULONAOCONT},
    {"outras_saidas", &GISaidas::OUTRASSAIDAS},
    {"substituicao_tributaria", &GISaidas::SUBSTTRIBUTARIA}};

// A primeira geração do formato (regime_recolhimento com o REGIME_ID, sem entregas).
bool PrimeiraGeracaoFormato(const std::string& versao);

}  // namespace kov
