#include "files/untGeraXmlKOV.h"

#include <cstdio>

#include "data/Cadastros.h"
#include "data/Entregas.h"
#include "data/Figuras.h"
#include "data/LinhasBanco.h"
#include "data/ReciboTexto.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"
#include "files/MapaArquivo.h"
#include "platform/Interacao.h"

namespace kov {

namespace {


// Texto da base (UTF-8) nos 8 bits do arquivo: o conjunto da base, Windows-1252, que nas
// letras acentuadas coincide com o ISO-8859-1 declarado no arquivo.
std::string oitoBits(const std::string& utf8) {
    for (unsigned char c : utf8)
        if (c >= 0x80) return ParaWindows1252(utf8);
    return utf8;
}

std::string doisDigitos(int n) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d", n);
    return b;
}

std::string inteiro(const std::optional<int>& v) { return v ? std::to_string(*v) : std::string(); }

// As linhas do bloco de dados: cada folha é marca de abertura, valor e marca de fechamento;
// cada contêiner, uma linha de abertura, os filhos e uma linha de fechamento.
class Linhas {
public:
    explicit Linhas(std::vector<std::string>& v) : v_(v) {}
    void abre(const char* t) { v_.push_back(std::string("<") + t + ">"); }
    void fecha(const char* t) { v_.push_back(std::string("</") + t + ">"); }
    // Valor em UTF-8, como está na base
    void folha(const char* t, const std::string& valor) {
        v_.push_back(std::string("<") + t + ">" + EscaparTextoXml(oitoBits(valor)) + "</" + t + ">");
    }
    void zero(const char* t, const std::string& valor) { folha(t, ValorOuZero(valor)); }
    void valor(const char* t, const Quantia& q) { zero(t, TextoValorArquivo(q)); }
    void nome(const char* t, const std::string& valor) { folha(t, Aparar(TextoSemAcentos(valor))); }
    void cdata(const char* t, const std::string& bytes) {
        // "]]>" no texto partiria a seção: fecha e reabre entre "]]" e ">"
        std::string c;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes.compare(i, 3, "]]>") == 0) {
                c += "]]]]><![CDATA[>";
                i += 2;
            } else {
                c += bytes[i];
            }
        }
        v_.push_back(std::string("<") + t + "><![CDATA[" + c + "]]></" + t + ">");
    }

private:
    std::vector<std::string>& v_;
};

// Folhas de valores de uma seção de uma linha; seção ausente escreve "0".
template <class L>
void valores(Linhas& l, const std::optional<L>& linha, CamposArquivo<L> campos) {
    for (const auto& [tag, membro] : campos) l.valor(tag, linha ? (*linha).*membro : Quantia{});
}
template <class L>
void valores(Linhas& l, const L& linha, CamposArquivo<L> campos) {
    for (const auto& [tag, membro] : campos) l.valor(tag, linha.*membro);
}

// Nulo ou diferente de zero em alguma coluna de valor que não é chave.
template <class L>
bool temMovimento(const L& linha) {
    for (const auto& c : L::colunas()) {
        if (c.chave()) continue;
        if (auto m = std::get_if<Quantia L::*>(&c.membro)) {
            const Quantia& q = linha.*(*m);
            if (!q || q->centavos() != 0) return true;
        }
    }
    return false;
}
template <class L>
bool temMovimento(const std::optional<L>& l) {
    return l && temMovimento(*l);
}
template <class L>
bool temMovimento(const std::vector<L>& v) {
    return !v.empty() && temMovimento(v.front());
}

void escreverEntradaOuSaida(Linhas& l, const Declaracao& d, bool entrada, std::vector<std::string>& v) {
    // As colunas comuns têm os mesmos nomes em ENTRADA e SAIDA
    auto comuns = [&](const auto& secao) {
        using L = typename std::decay_t<decltype(secao)>::value_type;
        l.abre("valor_contabil_total");
        l.valor("total", secao ? secao->VCTOTAL : Quantia{});
        valores<L>(l, secao, VALOR_CONTABIL_PARCELAS<L>);
        l.fecha("valor_contabil_total");
        valores<L>(l, secao, TOTAIS_ENTRADA_SAIDA<L>);
    };
    const int primeiro = entrada ? 1 : 4;
    l.abre(entrada ? "entrada" : "saida");
    if (entrada) {
        comuns(d.entrada);
        valores<Entrada>(l, d.entrada, PROPRIAS_ENTRADA);
    } else {
        comuns(d.saida);
        valores<Saida>(l, d.saida, PROPRIAS_SAIDA);
    }
    for (int i = 0; i < 3; ++i) {
        l.abre(GRUPOS_OPERACAO[i]);
        EscreverDetalheOperacao(v, d, primeiro + i);
        l.fecha(GRUPOS_OPERACAO[i]);
    }
    l.fecha(entrada ? "entrada" : "saida");
}

void escreverPrelo(Linhas& l, const Declaracao& d, std::vector<std::string>& v) {
    l.abre("prelo");
    l.abre("estoque");
    l.abre("valor_inicial");
    valores<Estoque>(l, d.estoque, ESTOQUE_INICIAL);
    l.fecha("valor_inicial");
    l.abre("valor_final");
    valores<Estoque>(l, d.estoque, ESTOQUE_FINAL);
    l.fecha("valor_final");
    l.fecha("estoque");
    l.abre("despesas_operacionais");
    valores<DespesasOperacionais>(l, d.despesas, DESPESAS);
    l.fecha("despesas_operacionais");
    l.abre("demonstracao_resultado_operacional");
    valores<ResultadoOperacional>(l, d.resultado, RESULTADO);
    l.fecha("demonstracao_resultado_operacional");
    escreverEntradaOuSaida(l, d, true, v);
    escreverEntradaOuSaida(l, d, false, v);
    l.fecha("prelo");
}

void escreverKov(Linhas& l, const Declaracao& d, const DadosArquivoDeclaracao& x) {
    l.abre("kov");
    l.abre("exclusoes");
    l.abre("entrada");
    valores<ExclusoesKov>(l, d.exclusoes, EXCLUSOES_ENTRADA);
    l.fecha("entrada");
    l.abre("saida");
    valores<ExclusoesKov>(l, d.exclusoes, EXCLUSOES_SAIDA);
    l.fecha("saida");
    l.fecha("exclusoes");

    l.abre("tessiva");
    valores<Kov>(l, d.kov, KOV_INICIO);
    l.abre("outras_entradas");
    l.valor("total", d.kov ? d.kov->OUTRASENTRADAS : Quantia{});
    l.abre("detalhamento");
    for (const auto& m : d.detalhamentoEntrada) {
        const auto tom = x.municipioTom.find(m.CODDRUMUNICIPIO);
        l.abre("valor_detalhamento");
        l.zero("municipio_tom", tom == x.municipioTom.end() ? std::string() : std::to_string(tom->second));
        l.zero("municipio_dru", std::to_string(m.CODDRUMUNICIPIO));
        l.valor("valor", m.VALOR);
        l.zero("mudancamunicipio", m.MUDANCAMUNICIPIO);
        l.valor("valormudanca", m.VALORMUDANCA);
        l.fecha("valor_detalhamento");
    }
    l.fecha("detalhamento");
    l.fecha("outras_entradas");
    valores<Kov>(l, d.kov, KOV_FIM);
    l.fecha("tessiva");
    l.fecha("kov");
}

void escreverGi(Linhas& l, const Declaracao& d) {
    l.abre("gi");
    l.abre("entrada");
    l.abre("detalhamento");
    for (const auto& g : d.giEntrada) {
        l.abre("valor_detalhe_entradas_gi");
        l.zero("uf", g.UF_ID);
        valores<GIEntrada>(l, g, GI_ENTRADA);
        l.fecha("valor_detalhe_entradas_gi");
    }
    l.fecha("detalhamento");
    l.fecha("entrada");
    l.abre("saida");
    l.abre("detalhamento");
    for (const auto& g : d.giSaidas) {
        l.abre("valor_detalhe_saidas_gi");
        l.zero("uf", g.UF_ID);
        valores<GISaidas>(l, g, GI_SAIDAS);
        l.fecha("valor_detalhe_saidas_gi");
    }
    l.fecha("detalhamento");
    l.fecha("saida");
    l.fecha("gi");
}

void escreverEntregas(Linhas& l, const DadosArquivoDeclaracao& x) {
    l.abre("entregas");
    for (const auto& e : x.entregas) {
        l.abre("item");
        l.folha("data", e.DATA ? fb::formatarData(*e.DATA) : std::string());
        l.folha("hora", e.HORA);
        l.folha("protocolo", e.PROTOCOLO);
        l.folha("tipotransmissao", e.TIPOTRANSMISSAO);
        l.cdata("recibo", e.RECIBO);
        l.folha("status", inteiro(e.STATUS));
        l.fecha("item");
    }
    l.fecha("entregas");
}

fb::DataHora dataDoDia(int dia, const std::optional<int>& mes, const std::optional<int>& ano) {
    using namespace std::chrono;
    return fb::DataHora{fb::Data{year{ano.value_or(0)}, month{static_cast<unsigned>(mes.value_or(0))},
                                 day{static_cast<unsigned>(dia)}},
                        0, 0, 0};
}

int ultimoDia(const std::optional<int>& mes, const std::optional<int>& ano) {
    try {
        return UltimoDiaMes(mes.value_or(0), ano.value_or(0));
    } catch (const std::exception&) {
        throw ErroSistema("Mês inválido na declaração: " + inteiro(mes) + ".");
    }
}

}  // namespace

std::string ValorOuZero(const std::string& texto) { return Aparar(texto).empty() ? "0" : texto; }

std::string TextoSemAcentos(const std::string& texto) {
    std::string r;
    r.reserve(texto.size());
    for (size_t i = 0; i < texto.size();) {
        const unsigned char c = static_cast<unsigned char>(texto[i]);
        if (c == '&') r += 'e';
        else if (c == '<') r += '(';
        else if (c == '>') r += ')';
        // Letras do Latin-1 em UTF-8: C3 80..C3 BF são U+00C0..U+00FF
        else if (c == 0xC3 && i + 1 < texto.size()) {
            const unsigned cp = 0xC0 + (static_cast<unsigned char>(texto[i + 1]) & 0x3F);
            char troca = 0;
            if (cp <= 0xC5) troca = 'A';
            else if (cp == 0xC7) troca = 'C';
            else if (cp >= 0xC8 && cp <= 0xCB) troca = 'E';
            else if (cp >= 0xCC && cp <= 0xCF) troca = 'I';
            else if (cp == 0xD1) troca = 'N';
            else if (cp >= 0xD2 && cp <= 0xD6) troca = 'O';
            else if (cp >= 0xD9 && cp <= 0xDC) troca = 'U';
            else if (cp == 0xDD) troca = 'Y';
            else if (cp >= 0xE0 && cp <= 0xE5) troca = 'a';
            else if (cp == 0xE7) troca = 'c';
            else if (cp >= 0xE8 && cp <= 0xEB) troca = 'e';
            else if (cp >= 0xEC && cp <= 0xEF) troca = 'i';
            else if (cp == 0xF1) troca = 'n';
            else if (cp >= 0xF2 && cp <= 0xF6) troca = 'o';
            else if (cp >= 0xF9 && cp <= 0xFC) troca = 'u';
            else if (cp == 0xFD || cp == 0xFF) troca = 'y';
            if (troca) {
                r += troca;
                i += 2;
                continue;
            }
            r += texto[i];
        } else {
            r += texto[i];
        }
        ++i;
    }
    return r;
}

std::string TextoValorArquivo(const Quantia& q) {
    if (!q) return {};
    const int64_t c = q->centavos();
    const uint64_t a = c < 0 ? 0 - static_cast<uint64_t>(c) : static_cast<uint64_t>(c);
    std::string t = (c < 0 ? "-" : "") + std::to_string(a / 100);
    const unsigned frac = static_cast<unsigned>(a % 100);
    if (frac != 0) {
        t += ',';
        t += static_cast<char>('0' + frac / 10);
        if (frac % 10 != 0) t += static_cast<char>('0' + frac % 10);
    }
    return t;
}

std::string CodigoRegime(fb::Transacao& tr, const std::string& regimeId, std::optional<int> tipoRecolhimento) {
    try {
        fb::Comando q(tr, "select codigo from regime where regime_id = :sID");
        q.param("sID", regimeId);
        if (!q.proximo()) return {};
        const std::string codigo = q.coluna(0).texto();
        if (codigo == "52" && tipoRecolhimento == 1) return "53";
        if (codigo == "54" && tipoRecolhimento == 1) return "55";
        return codigo;
    } catch (const std::exception& e) {
        throw ErroSistema(e.what());
    }
}

bool DeclaracaoSemMovimento(const Declaracao& d) {
    return !(temMovimento(d.estoque) || temMovimento(d.despesas) || temMovimento(d.resultado) ||
             temMovimento(d.entrada) || temMovimento(d.saida) || temMovimento(d.kov) || temMovimento(d.exclusoes) ||
             temMovimento(d.detalhamentoES) || temMovimento(d.giEntrada) || temMovimento(d.giSaidas) ||
             temMovimento(d.detalhamentoEntrada));
}

void EscreverDetalheOperacao(std::vector<std::string>& v, const Declaracao& d, int tipo) {
    const DetalhamentoES* linha = d.detalhamento(tipo);
    Linhas l(v);
    for (size_t m = 0; m < std::size(MEDIDAS_OPERACAO); ++m) {
        l.abre(MEDIDAS_OPERACAO[m].elemento);
        for (size_t e = 0; e < std::size(ESPECIES_OPERACAO); ++e)
            l.valor(ESPECIES_OPERACAO[e].elemento, linha ? (*linha).*ColunaOperacao(m, e) : Quantia{});
        l.fecha(MEDIDAS_OPERACAO[m].elemento);
    }
}

std::string NomeArquivoDeclaracao(const std::string& inscricao, const Documento& doc) {
    char periodo[16];
    std::snprintf(periodo, sizeof periodo, "%04d", doc.PERIODO.value_or(0));
    return "KOV" + inscricao + periodo + doisDigitos(doc.MESFINAL.value_or(0)) + "01" + periodo +
           doisDigitos(doc.MESINICIAL.value_or(0)) + doisDigitos(ultimoDia(doc.MESINICIAL, doc.PERIODO)) +
           doc.SUBSTITUICAO + ".xml";
}

std::string NomeArquivoDeclaracao(const Declaracao& d) { return NomeArquivoDeclaracao(d.IE_CONTRIBUINTE, d.doc); }

TInfCabecalho CabecalhoDaDeclaracao(const Declaracao& d, const Contribuinte& contribuinte, const std::string& versao) {
    TInfCabecalho c;
    c.tipo_identificador = "IE";
    c.identificador = oitoBits(ValorOuZero(contribuinte.INSCESTADUAL));
    c.tipo_arquivo = "3";
    c.versao_programa_gerador = oitoBits(ValorOuZero(versao));
    c.data_inicial = dataDoDia(1, d.doc.MESINICIAL, d.doc.PERIODO);
    c.data_final = dataDoDia(ultimoDia(d.doc.MESFINAL, d.doc.PERIODO), d.doc.MESFINAL, d.doc.PERIODO);
    c.indicativo_substituicao = oitoBits(ValorOuZero(d.doc.SUBSTITUICAO));
    return c;
}

std::vector<std::string> LinhasDadosDeclaracao(const Declaracao& d, const DadosArquivoDeclaracao& x) {
    std::vector<std::string> v;
    v.reserve(600 + 8 * d.detalhamentoEntrada.size() + 9 * (d.giEntrada.size() + d.giSaidas.size()));
    Linhas l(v);
    const Contribuinte& ct = x.contribuinte;
    const Documento& doc = d.doc;
    const std::string cnaef = doc.CNAEF_ID + doc.DESMEMBRAMENTO;

    l.abre("contribuinte");
    l.folha("ie_contribuinte", ct.INSCESTADUAL);
    l.nome("razao_social", ct.RAZAOSOCIAL);
    l.folha("cnaef", cnaef);
    l.folha("municipio_tom", inteiro(x.municipioTomContribuinte));
    l.folha("municipio_dru", inteiro(doc.CODDRUMUNICIPIO));
    l.folha("uf", "QZ");
    l.folha("tipo_contribuinte", inteiro(doc.TIPOCONTRIBUINTE_ID));
    l.abre("responsavel");
    l.nome("nome", x.responsavel.NOME);
    l.folha("ddd", x.responsavel.DDD);
    l.folha("telefone", x.responsavel.TELEFONE);
    l.folha("mail", x.responsavel.EMAIL);
    l.fecha("responsavel");
    l.fecha("contribuinte");

    l.abre("documento");
    l.zero("ie", ct.INSCESTADUAL);
    l.zero("apuracao", inteiro(doc.TIPORECOLHIMENTO_ID));
    l.zero("tipo_contribuinte", inteiro(doc.TIPOCONTRIBUINTE_ID));
    l.zero("municipio_tom", inteiro(d.MUNICIPIO_MUNICIPIO_ID));
    l.zero("municipio_dru", inteiro(doc.CODDRUMUNICIPIO));
    l.folha("cnaef", cnaef);
    l.zero("escrita_contabil", doc.ESCRITACONTABIL);
    l.folha("sem_movimento", DeclaracaoSemMovimento(d) ? "S" : "N");
    l.zero("baixa", doc.BAIXA);
    l.zero("mudanca_municipio", doc.MUDANCAMUNICIPIO);
    l.zero("mudanca_municipio_atual", doc.MUDANCAMUNICIPIOANOCORRENTE);
    l.zero("regime_recolhimento", x.codigoRegime);
    escreverPrelo(l, d, v);
    escreverKov(l, d, x);
    escreverGi(l, d);
    escreverEntregas(l, x);
    l.fecha("documento");
    return v;
}

DadosArquivoDeclaracao LerDadosArquivoDeclaracao(fb::Conexao& c, const Declaracao& d) {
    DadosArquivoDeclaracao x;
    auto tr = fb::Transacao::leitura(c);
    {
        fb::Comando q(tr, "SELECT " + ListaColunas<Contribuinte>() + " FROM CONTRIBUINTE WHERE CONTRIBUINTE_ID = :ID");
        q.param("ID", d.doc.CONTRIBUINTE_ID);
        if (!q.proximo())
            throw ErroSistema("Contribuinte " + inteiro(d.doc.CONTRIBUINTE_ID) + " da declaração não encontrado.");
        x.contribuinte = LerLinha<Contribuinte>(q);
    }
    {
        fb::Comando q(tr, "SELECT " + ListaColunas<Responsavel>() + " FROM RESPONSAVEL WHERE RESPONSAVEL_ID = :ID");
        q.param("ID", x.contribuinte.RESPONSAVEL_ID);
        if (q.proximo()) x.responsavel = LerLinha<Responsavel>(q);
    }
    {
        fb::Comando q(tr, "SELECT CODDRUMUNICIPIO, MUNICIPIO_ID FROM MUNICIPIO");
        while (q.proximo())
            if (!q.coluna(1).nulo())
                x.municipioTom[static_cast<int>(q.coluna(0).inteiro())] = static_cast<int>(q.coluna(1).inteiro());
        if (x.contribuinte.CODDRUMUNICIPIO) {
            const auto it = x.municipioTom.find(*x.contribuinte.CODDRUMUNICIPIO);
            if (it != x.municipioTom.end()) x.municipioTomContribuinte = it->second;
        }
    }
    x.entregas = LerEntregas(tr, d.doc.DOCUMENTO_ID);
    x.codigoRegime = CodigoRegime(tr, inteiro(d.doc.REGIME_ID), d.doc.TIPORECOLHIMENTO_ID);
    tr.commit();
    return x;
}

void GerarArquivoDeclaracao(const Declaracao& d, const ContextoArquivo& ctx, const std::string& caminho, bool cifrar) {
    if (!RegimeCompleto(d.doc)) {
        ctx.ui.mensagem(TipoMensagem::Aviso, "Tipo de documento inválido",
                        "Impossível efetuar transmissão!\r\nFavor imprimir duas vias da declaração e entregar na "
                        "Administração Fazendária \r\nde sua circunscrição");
        throw Abortar();
    }
    try {
        const DadosArquivoDeclaracao x = LerDadosArquivoDeclaracao(ctx.conexao, d);
        const TInfCabecalho cab = CabecalhoDaDeclaracao(d, x.contribuinte, ctx.versao);
        const std::vector<std::string> linhas = LinhasDadosDeclaracao(d, x);
        std::string dados;
        if (cifrar) {
            // Uma falha da cifra deixaria o arquivo sem os dados: o escritor falha com o texto
            // da caixa de erro da cifra e nada é gravado.
            try {
                dados = CifrarLinhas(linhas, ctx.pastaChaves);
                dados += "\r\n";
            } catch (const ErroCifra& e) {
                throw ErroSistema(MensagemErroCifra(e.what()));
            }
        } else {
            size_t tamanho = 0;
            for (const auto& linha : linhas) tamanho += linha.size() + 2;
            dados.reserve(tamanho);
            for (const auto& linha : linhas) {
                dados += linha;
                dados += "\r\n";
            }
        }
        MontarArquivoDeclaracao(caminho, cab, dados);
    } catch (const Abortar&) {
        throw;
    } catch (const std::exception& e) {
        throw ErroSistema(e.what());
    }
}

ContextoArquivo ContextoArquivoDoModulo(Tdm& dm) {
    return {dm.MainConnection, dm.ui(), dm.ConfigApp.Versao, dm.diretorioPrograma()};
}

void GerarArquivoDeclaracao(Tdm& dm, int documentoId, const std::string& caminho, bool cifrar) {
    GerarArquivoDeclaracao(CarregarDeclaracao(dm.MainConnection, documentoId), ContextoArquivoDoModulo(dm), caminho,
                           cifrar);
}

}  // namespace kov
