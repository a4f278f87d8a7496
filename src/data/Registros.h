#pragma once
// As linhas das tabelas de cadastro e da declaração, cada tipo com a tabela das suas
// colunas (nome, espécie, membro). O trabalho genérico — zerar, ler e gravar na base,
// exportar, ligar campos de tela, verificar obrigatórios — percorre as colunas pelo nome
// em vez de repetir centenas de campos à mão.
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "data/Dinheiro.h"
#include "data/fb/Valor.h"

namespace kov {

// Valor monetário de uma coluna que aceita nulo. Nas contas, nulo vale 0.
using Quantia = std::optional<Dinheiro>;
inline Dinheiro v(const Quantia& q) { return q.value_or(Dinheiro{}); }

enum class EspecieColuna { Chave, Inteiro, Texto, Valor, Data };

template <class L>
struct Coluna {
    const char* nome;
    EspecieColuna especie;
    std::variant<int L::*, std::optional<int> L::*, std::string L::*, Quantia L::*, std::optional<fb::Data> L::*> membro;
    bool chave() const { return especie == EspecieColuna::Chave; }
};

// Tipos dos membros por espécie de coluna
using TipoChave = int;
using TipoInteiro = std::optional<int>;
using TipoTexto = std::string;
using TipoValor = Quantia;
using TipoData = std::optional<fb::Data>;

#define KOV_MEMBRO(nome, especie) Tipo##especie nome{};
#define KOV_COLUNA(nome, especie) {#nome, EspecieColuna::especie, &Linha::nome},
#define KOV_LINHA(Tipo, TABELA, COLUNAS)                                   \
    struct Tipo {                                                           \
        COLUNAS(KOV_MEMBRO)                                                 \
        static constexpr const char* tabela = #TABELA;                      \
        static const std::vector<Coluna<Tipo>>& colunas() {                 \
            using Linha = Tipo;                                             \
            static const std::vector<Coluna<Tipo>> c = {COLUNAS(KOV_COLUNA)}; \
            return c;                                                       \
        }                                                                   \
        bool operator==(const Tipo&) const = default;                       \
    };

// --- Cadastros ---------------------------------------------------------------------

#define KOV_COLUNAS_CONTRIBUINTE(X)                                                                     \
    X(CONTRIBUINTE_ID, Chave) X(CNAEF_ID, Texto) X(DESMEMBRAMENTO, Texto) X(CODDRUMUNICIPIO, Inteiro)   \
    X(UF_ID, Texto) X(TIPOCONTRIBUINTE_ID, Inteiro) X(RAZAOSOCIAL, Texto) X(ENDERECO, Texto)            \
    X(NUMERO, Texto) X(COMPLEMENTO, Texto) X(BAIRRO, Texto) X(CEP, Texto) X(CAIXAPOSTAL, Texto)         \
    X(AGENCIAPOSTAL, Texto) X(TELEFONE, Texto) X(EMAIL, Texto) X(DDD, Texto) X(INSCESTADUAL, Texto)     \
    X(RESPONSAVEL_ID, Inteiro) X(CNPJ, Texto)
KOV_LINHA(Contribuinte, CONTRIBUINTE, KOV_COLUNAS_CONTRIBUINTE)

#define KOV_COLUNAS_RESPONSAVEL(X) \
    X(RESPONSAVEL_ID, Chave) X(NOME, Texto) X(DDD, Texto) X(TELEFONE, Texto) X(EMAIL, Texto)
KOV_LINHA(Responsavel, RESPONSAVEL, KOV_COLUNAS_RESPONSAVEL)

// --- Declaração ----------------------------------------------------------------------

#define KOV_COLUNAS_DOCUMENTO(X)                                                                      \
    X(DOCUMENTO_ID, Chave) X(CONTRIBUINTE_ID, Inteiro) X(STATUS_ID, Inteiro) X(REGIME_ID, Inteiro)    \
    X(TIPOCONTRIBUINTE_ID, Inteiro) X(CNAEF_ID, Texto) X(DESMEMBRAMENTO, Texto)                       \
    X(CODDRUMUNICIPIO, Inteiro) X(TIPORECOLHIMENTO_ID, Inteiro) X(PERIODO, Inteiro)                   \
    X(MESINICIAL, Inteiro) X(MESFINAL, Inteiro) X(ESCRITACONTABIL, Texto) X(SUBSTITUICAO, Texto)      \
    X(MUDANCAMUNICIPIO, Texto) X(BAIXA, Texto) X(MUDANCAMUNICIPIOANOCORRENTE, Texto)
KOV_LINHA(Documento, DOCUMENTO, KOV_COLUNAS_DOCUMENTO)

#define KOV_COLUNAS_ESTOQUE(X)                                                                      \
    X(DOCUMENTO_ID, Chave) X(INITRIBUTADOS, Valor) X(FIMTRIBUTADOS, Valor) X(INISST, Valor)         \
    X(FIMSST, Valor) X(INIISENTO, Valor) X(FIMISENTO, Valor) X(INIOUTROS, Valor) X(FIMOUTROS, Valor) \
    X(INITOTAL, Valor) X(FIMTOTAL, Valor)
KOV_LINHA(Estoque, ESTOQUE, KOV_COLUNAS_ESTOQUE)

#define KOV_COLUNAS_DESPESAS(X)                                                                        \
    X(DOCUMENTO_ID, Chave) X(PROLABORE, Valor) X(SALARIOSCOMISSOES, Valor) X(ENCARGOSSOCIAIS, Valor)   \
    X(SERVICOSPROF, Valor) X(PROPAGANDAPUB, Valor) X(TRIBUTOSTAXAS, Valor) X(ALUGUELCOND, Valor)       \
    X(AGUALUZTEL, Valor) X(FRETECARRETO, Valor) X(COMBUSTIVEL, Valor) X(SEGURO, Valor)                 \
    X(DESPESAFINACEIRA, Valor) X(DESPESAGERAIS, Valor) X(OUTRAS, Valor) X(TOTAL, Valor)
KOV_LINHA(DespesasOperacionais, DESPESASOPERACIONAIS, KOV_COLUNAS_DESPESAS)

#define KOV_COLUNAS_RESULTADO(X)                                                                  \
    X(DOCUMENTO_ID, Chave) X(RECEITABRUTA, Valor) X(DEVOLUCAOABATIMENTO, Valor) X(IMPOSTO, Valor) \
    X(RECEITALIQUIDA, Valor) X(CMSCPSCSP, Valor) X(LUCROPREJUIZOBRUTO, Valor)                     \
    X(DESPESAOPERACIONAL, Valor) X(OUTRASRECEITASOPERACIONAIS, Valor)                             \
    X(OUTRASDESPESASOPERACIONAIS, Valor) X(CORRECAOMONETARIA, Valor) X(LUCROPREJUIZOOPERACIONAL, Valor)
KOV_LINHA(ResultadoOperacional, DEMOSTRACAORESULTADOOPERACIONAL, KOV_COLUNAS_RESULTADO)

#define KOV_COLUNAS_ENTRADA(X)                                                                   \
    X(DOCUMENTO_ID, Chave) X(VCTOTAL, Valor) X(BCTOTAL, Valor) X(ICMSTOTAL, Valor)               \
    X(OPSEMICMSTOTAL, Valor) X(VCTOTALSIMPLES, Valor) X(VCESTADO, Valor) X(VCOUTROS, Valor)      \
    X(VCEXTERIOR, Valor) X(AJUSTETRANSFERENCIA, Valor) X(AUTUACAODENUNCIA, Valor)                \
    X(PRODUTOSAGROP, Valor) X(ENERGIAELETRICA, Valor)
KOV_LINHA(Entrada, ENTRADA, KOV_COLUNAS_ENTRADA)

#define KOV_COLUNAS_SAIDA(X)                                                                     \
    X(DOCUMENTO_ID, Chave) X(VCTOTAL, Valor) X(BCTOTAL, Valor) X(ICMSTOTAL, Valor)               \
    X(OPSEMICMSTOTAL, Valor) X(VCTOTALSIMPLES, Valor) X(VCESTADO, Valor) X(VCOUTROS, Valor)      \
    X(VCEXTERIOR, Valor) X(AJUSTETRANSFERENCIA, Valor) X(AUTUACAODENUNCIA, Valor)                \
    X(TRANSPORTETOMADO, Valor) X(COOPERATIVA, Valor)
KOV_LINHA(Saida, SAIDA, KOV_COLUNAS_SAIDA)

#define KOV_COLUNAS_KOV(X)                                                                        \
    X(DOCUMENTO_ID, Chave) X(SAIDAS, Valor) X(ENTRADAS, Valor) X(OUTRASENTRADAS, Valor)           \
    X(TOTALENTRADAS, Valor) X(TOTALKOV, Valor)
KOV_LINHA(Kov, KOV, KOV_COLUNAS_KOV)

#define KOV_COLUNAS_EXCLUSOES(X)                                                                          \
    X(DOCUMENTO_ID, Chave) X(ENTICMSST, Valor) X(SAIICMSST, Valor) X(ENTENTREGAFUTURA, Valor)             \
    X(SAIENTREGAFUTURA, Valor) X(ENTIPI, Valor) X(SAIIPI, Valor) X(ENTATIVOIMOBILIZADO, Valor)            \
    X(SAIATIVOIMOBILIZADO, Valor) X(ENTMATERIALUSO, Valor) X(SAIMATERIALUSO, Valor)                       \
    X(ENTMERCADORIASUSP, Valor) X(SAIMERCADIORIASUSP, Valor) X(ENTSIMPLESREMESSA, Valor)                  \
    X(SAISIMPLESREMESSA, Valor) X(ENTENERGIAELETRICACOMUNICACAO, Valor) X(ENTTRANSPORTE, Valor)           \
    X(ENTSUBCONTRATACAOTRANSPORTE, Valor) X(SAITRANPORTESINICIADOOUTRA, Valor)                            \
    X(ENTARMAZENAMENTODEPOSITO, Valor) X(SAIARMAZENAMENTODEPOSITO, Valor) X(ENTOUTRAS, Valor)             \
    X(SAIOUTRAS, Valor) X(ENTTOTAL, Valor) X(SAITOTAL, Valor) X(ENTCONSIGNACAO, Valor)                    \
    X(SAICONSIGNACAO, Valor) X(ENTAJUSTETRANSFERENCIA, Valor) X(SAIAJUSTETRANSFERENCIA, Valor)
KOV_LINHA(ExclusoesKov, EXCLUSOESKOV, KOV_COLUNAS_EXCLUSOES)

#define KOV_CATEGORIA(X, CAT) X(VC##CAT, Valor) X(BC##CAT, Valor) X(ICMS##CAT, Valor) X(OPSICMS##CAT, Valor)
#define KOV_COLUNAS_DETALHAMENTOES(X)                                                       \
    X(TIPOOPERACAO_ID, Chave) X(DOCUMENTO_ID, Chave) KOV_CATEGORIA(X, COMPRAVENDA)          \
    KOV_CATEGORIA(X, TRANSFERENCIA) KOV_CATEGORIA(X, DEVOLUCAO) KOV_CATEGORIA(X, ENERGIAELETRICA) \
    KOV_CATEGORIA(X, COMUNICACAO) KOV_CATEGORIA(X, TRANSPORTE) KOV_CATEGORIA(X, OUTRAS)     \
    KOV_CATEGORIA(X, SUBTOTAL)
KOV_LINHA(DetalhamentoES, DETALHAMENTOES, KOV_COLUNAS_DETALHAMENTOES)

#define KOV_COLUNAS_GIENTRADA(X)                                                                   \
    X(DOCUMENTO_ID, Chave) X(UF_ID, Texto) X(VALORCONTABIL, Valor) X(BASECALCULO, Valor)           \
    X(OUTRASENTRADAS, Valor) X(STPETROLEO, Valor) X(STOUTROS, Valor)
KOV_LINHA(GIEntrada, GIENTRADA, KOV_COLUNAS_GIENTRADA)

#define KOV_COLUNAS_GISAIDAS(X)                                                                  \
    X(DOCUMENTO_ID, Chave) X(UF_ID, Texto) X(VALORCONTABILCONT, Valor) X(VALORCONTABILNAOCONT, Valor) \
    X(BASECALCULOCONT, Valor) X(BASECALCULONAOCONT, Valor) X(OUTRASSAIDAS, Valor) X(SUBSTTRIBUTARIA, Valor)
KOV_LINHA(GISaidas, GISAIDAS, KOV_COLUNAS_GISAIDAS)

#define KOV_COLUNAS_DETALHAMENTOENTRADA(X)                                                      \
    X(DOCUMENTO_ID, Chave) X(CODDRUMUNICIPIO, Chave) X(VALOR, Valor) X(MUDANCAMUNICIPIO, Texto) \
    X(VALORMUDANCA, Valor)
KOV_LINHA(DetalhamentoEntrada, DETALHAMENTOENTRADA, KOV_COLUNAS_DETALHAMENTOENTRADA)

// ZerarCampos: toda coluna numérica que não é chave passa a 0.
template <class L>
void ZerarCampos(L& linha) {
    for (const auto& c : L::colunas()) {
        if (c.chave()) continue;
        if (auto m = std::get_if<Quantia L::*>(&c.membro)) linha.*(*m) = Dinheiro{};
        else if (auto i = std::get_if<std::optional<int> L::*>(&c.membro)) linha.*(*i) = 0;
    }
}

// Valor de uma coluna pelo nome, como Valor do acesso à base (nulo quando a coluna é nula).
template <class L>
fb::Valor ValorColuna(const L& linha, const Coluna<L>& c) {
    return std::visit(
        [&](auto m) -> fb::Valor {
            const auto& x = linha.*m;
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, int>) return fb::Valor(x);
            else if constexpr (std::is_same_v<T, std::string>) return fb::Valor(x);
            else {
                if (!x) return fb::Valor();
                return fb::Valor(*x);
            }
        },
        c.membro);
}

template <class L>
void DefinirColuna(L& linha, const Coluna<L>& c, const fb::Valor& valor) {
    std::visit(
        [&](auto m) {
            auto& x = linha.*m;
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, int>) x = static_cast<int>(valor.inteiro());
            else if constexpr (std::is_same_v<T, std::string>) x = valor.texto();
            else if constexpr (std::is_same_v<T, std::optional<int>>) {
                if (valor.nulo()) x.reset();
                else x = static_cast<int>(valor.inteiro());
            } else if constexpr (std::is_same_v<T, Quantia>) {
                if (valor.nulo()) x.reset();
                else x = valor.dinheiro();
            } else {
                if (valor.nulo()) x.reset();
                else x = valor.data();
            }
        },
        c.membro);
}

template <class L>
const Coluna<L>* ProcurarColuna(const std::string& nome) {
    for (const auto& c : L::colunas())
        if (nome == c.nome) return &c;
    return nullptr;
}

}  // namespace kov
