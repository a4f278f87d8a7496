// O leitor do arquivo de declaração: regras dos valores lidos (tabelas) e a restauração de
// arquivos cifrados numa base real — ida e volta pelo escritor, substituição sob a mesma chave,
// arquivos escritos "por outro programa" das duas gerações do formato, e cada recusa sem nada
// gravado.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/Cadastros.h"
#include "data/Chaves.h"
#include "data/Entregas.h"
#include "data/Figuras.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"
#include "files/MapaArquivo.h"
#include "files/untGeraXmlKOV.h"
#include "files/untRestauraXmlKOV.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

Dinheiro R(int64_t centavos) { return Dinheiro::deCentavos(centavos); }

std::string trocar(std::string s, const std::string& de, const std::string& para) {
    const size_t i = s.find(de);
    EXPECT_NE(i, std::string::npos) << de;
    if (i != std::string::npos) s.replace(i, de.size(), para);
    return s;
}

const char* const TABELAS[] = {"CONTRIBUINTE", "DOCUMENTO", "ESTOQUE", "DESPESASOPERACIONAIS",
                               "DEMOSTRACAORESULTADOOPERACIONAL", "ENTRADA", "SAIDA", "KOV", "EXCLUSOESKOV",
                               "DETALHAMENTOES", "GIENTRADA", "GISAIDAS", "DETALHAMENTOENTRADA", "TRANSMISSAO"};

std::map<std::string, int64_t> contagem(fb::Conexao& c) {
    std::map<std::string, int64_t> m;
    auto tr = fb::Transacao::leitura(c);
    for (const char* t : TABELAS) {
        fb::Comando q(tr, std::string("SELECT COUNT(*) FROM ") + t);
        q.proximo();
        m[t] = q.coluna(0).inteiro();
    }
    return m;
}

// Toda coluna de valor com um valor diferente
template <class L>
void preencher(L& l, int64_t& n) {
    for (const auto& c : L::colunas())
        if (auto m = std::get_if<Quantia L::*>(&c.membro)) l.*(*m) = R(100000 + 37 * ++n);
}

void executar(fb::Conexao& c, const std::string& sql) {
    fb::Transacao tr(c);
    fb::Comando::executarDireto(tr, sql);
    tr.commit();
}

struct Leitor : ::testing::Test {
    teste::BaseAberta origem, destino;
    teste::InteracaoGravada ui;
    std::string programa;  // pasta do programa: chaves e temp/
    Contribuinte contribuinte;
    static constexpr int MUNICIPIO = 900000;
    int outroMunicipio = 0;  // um município da tabela distribuída, que os arquivos não usam

    void SetUp() override {
        {
            auto tr = fb::Transacao::leitura(destino.c);
            fb::Comando q(tr, "SELECT MIN(CODDRUMUNICIPIO) FROM MUNICIPIO");
            q.proximo();
            outroMunicipio = static_cast<int>(q.coluna(0).inteiro());
        }
        programa = (destino.pasta.caminho() / "EXE").string();
        fs::create_directories(programa);
        static const ParChavesRSA par = GerarParChavesRSA();
        GravarParChavesRSA(par, programa);
        for (fb::Conexao* c : {&origem.c, &destino.c})
            executar(*c,
                     "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 300) DO BEGIN "
                     "INSERT INTO MUNICIPIO VALUES (900000 + :I, 800000 + :I, 'MUNICÍPIO ' || :I); I = I + 1; END END");
        fb::Transacao tr(origem.c);
        Responsavel r{1, "José", "11", "55551234", "jose@exemplo.com.br"};
        InserirLinhas(tr, std::vector<Responsavel>{r});
        contribuinte = teste::ContribuinteDeTeste(1, MUNICIPIO, "Café & Cia <Ltda>");
        contribuinte.RESPONSAVEL_ID = 1;
        InserirLinhas(tr, std::vector<Contribuinte>{contribuinte});
        tr.commit();
    }

    std::optional<int> restaurar(const std::string& arq, int anoCorrente = 2026) {
        return ImportarArquivoDeclaracao({destino.c, ui, programa, anoCorrente}, arq);
    }
    std::string caminho(const std::string& nome) const { return (destino.pasta.caminho() / nome).string(); }
    bool copiaDeTrabalhoExiste() const { return fs::exists(fs::path(programa) / "temp" / ARQUIVO_COPIA_DECIFRADA); }

    // Uma declaração de débito e crédito com todo valor diferente, os totais gravados pelas
    // regras, GI em três UFs, 300 municípios e três entregas.
    Declaracao completa(int mesInicial = 1, int mesFinal = 12) {
        Declaracao d = NovaDeclaracao("2016");
        DefinirContribuinte(d, contribuinte);
        d.doc.DOCUMENTO_ID = ProximoCodigo(origem.c, "DOCUMENTO");
        d.doc.REGIME_ID = 1;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CODDRUMUNICIPIO = MUNICIPIO;
        d.doc.MESINICIAL = mesInicial;
        d.doc.MESFINAL = mesFinal;
        d.doc.ESCRITACONTABIL = d.doc.SUBSTITUICAO = "S";
        CriarSecoesQueFaltam(d);
        int64_t n = 0;
        preencher(*d.estoque, n);
        preencher(*d.despesas, n);
        preencher(*d.resultado, n);
        preencher(*d.entrada, n);
        preencher(*d.saida, n);
        preencher(*d.kov, n);
        preencher(*d.exclusoes, n);
        for (auto& e : d.detalhamentoES) preencher(e, n);
        for (const char* uf : {"MG", "RJ", "SP"}) {
            GIEntrada e{0, uf};
            preencher(e, n);
            d.giEntrada.push_back(e);
            GISaidas s{0, uf};
            preencher(s, n);
            d.giSaidas.push_back(s);
        }
        for (int i = 0; i < 300; ++i) {
            DetalhamentoEntrada m{0, MUNICIPIO + i, R((500 + i) * 100), i == 7 ? "S" : "N", R((i == 7 ? 507 : 900 + i) * 100)};
            d.detalhamentoEntrada.push_back(m);
        }
        TotaisAntesDeGravar(d);
        GravarDeclaracao(origem.c, d);
        fb::Transacao tr(origem.c);
        Entrega gravada{0, d.doc.DOCUMENTO_ID, fb::Data{std::chrono::year{2017}, std::chrono::March, std::chrono::day{1}},
                        "09:30:00", "", "D", 1, "Per\xEDodo \x80 ]]> fim\r\nlinha 2\r\n"};
        Entrega transmitida = gravada;
        transmitida.HORA = "10:00:00";
        transmitida.PROTOCOLO = "20170000000000002";
        transmitida.TIPOTRANSMISSAO = "T";
        transmitida.RECIBO = "";
        for (Entrega* e : {&gravada, &transmitida}) GravarEntrega(tr, *e);
        tr.commit();
        return CarregarDeclaracao(origem.c, d.doc.DOCUMENTO_ID);
    }

    ContextoArquivo escritor() { return {origem.c, ui, "7.07.10", programa}; }
    std::string cifrado(const Declaracao& d, const std::string& nome) {
        const std::string arq = caminho(nome);
        GerarArquivoDeclaracao(d, escritor(), arq, true);
        return arq;
    }
    // O bloco de dados às claras que o escritor cifraria, para os testes o alterarem
    std::string blocoClaro(const Declaracao& d) {
        std::string s;
        for (const auto& l : LinhasDadosDeclaracao(d, LerDadosArquivoDeclaracao(origem.c, d))) s += l + "\r\n";
        return s;
    }
    std::string cifradoDoBloco(const Declaracao& d, const std::string& bloco, const std::string& nome,
                               const std::string& versao = "7.07.10") {
        const std::string arq = caminho(nome);
        MontarArquivoDeclaracao(arq, CabecalhoDaDeclaracao(d, contribuinte, versao),
                                CifrarLinhas({bloco}, programa) + "\r\n");
        return arq;
    }
};

}  // namespace

TEST(RegrasLeitor, ValoresTextosERecibos) {
    const std::pair<const char*, std::optional<int64_t>> validos[] = {
        {"", std::nullopt},   {"  ", std::nullopt},  {"0", 0},       {"1234", 123400},
        {"1234,5", 123450},   {"-12,3", -1230},      {"0,05", 5},    {" 7 ", 700},
        {"+3", 300},          {"0001", 100},         {"9999999999999,99", 999999999999999},
    };
    for (const auto& [t, c] : validos) {
        const Quantia q = ValorDoArquivo(t);
        EXPECT_EQ(q.has_value(), c.has_value()) << t;
        if (q && c) {
            EXPECT_EQ(q->centavos(), *c) << t;
        }
    }
    for (const char* t : {"1.234,5", "1,234", "1.5", "1e3", ",", "-", "1,", "abc", "12345678901234", "1 2"})
        EXPECT_THROW(ValorDoArquivo(t), ErroSistema) << t;
    EXPECT_EQ(TextoParaValor(""), Dinheiro{});
    EXPECT_EQ(TextoParaValor("10"), R(1000));

    // Os bytes 0x80..0x9F do Windows-1252 chegam como U+0080..U+009F da leitura ISO-8859-1
    EXPECT_EQ(TextoDaBase("Caf\xC3\xA9 \xC2\x80 \xC2\x93x\xC2\x94"), "Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D");
    EXPECT_EQ(TextoDaBase("sem nada"), "sem nada");
    EXPECT_EQ(ReciboGuardado("Per\xC3\xADodo\n\xC2\x80 x\r\ny\n"), "Per\xEDodo\r\n\x80 x\r\ny\r\n");
    EXPECT_EQ(ReciboGuardado("\xC4\x80"), "?") << "acima de U+00FF não cabe em 8 bits";
}

TEST_F(Leitor, RegimeEContribuintePelasConsultas) {
    fb::Transacao tr(destino.c);
    const std::pair<const char*, const char*> regimes[] = {{"1", "1"}, {"2", "2"},   {"3", "4"},  {"51", "3"},
                                                           {"52", "5"}, {"53", "5"}, {"54", "6"}, {"55", "6"},
                                                           {"99", ""},  {"", ""},    {"x", ""}};
    for (const auto& [codigo, regime] : regimes) EXPECT_EQ(RegimeDoCodigo(tr, codigo), regime) << codigo;
    Contribuinte ct = teste::ContribuinteDeTeste(0, MUNICIPIO);
    InserirContribuinte(tr, ct);
    EXPECT_EQ(ContribuintePorIE(tr, "1234567890107"), std::to_string(ct.CONTRIBUINTE_ID));
    EXPECT_EQ(ContribuintePorIE(tr, "999"), "");
    EXPECT_EQ(ContribuintePorIE(tr, "12345678901234567890"), "") << "maior que a coluna";
}

TEST_F(Leitor, IdaEVoltaNumaBaseVaziaESubstituicaoSobAMesmaChave) {
    const Declaracao d = completa();
    const std::string arq = cifrado(d, "completa.xml");
    // Na base de destino: uma gravação de outra declaração com o mesmo tipo, data e hora (não
    // pode ser tomada) e uma linha órfã com o protocolo do arquivo (volta para a declaração)
    {
        fb::Transacao tr(destino.c);
        Entrega outra{0, 999, fb::Data{std::chrono::year{2017}, std::chrono::March, std::chrono::day{1}},
                      "09:30:00", "", "D", 1, "outra"};
        Entrega orfa{0, 998, std::nullopt, "", "20170000000000002", "T", std::nullopt, ""};
        GravarEntrega(tr, outra);
        GravarEntrega(tr, orfa);
        tr.commit();
    }
    const auto chave = restaurar(arq);
    ASSERT_TRUE(chave.has_value()) << ::testing::PrintToString(ui.textos());
    EXPECT_TRUE(ui.mensagens.empty()) << ::testing::PrintToString(ui.textos());
    EXPECT_FALSE(copiaDeTrabalhoExiste());

    // O que volta: igual, exceto as cinco exclusões somadas em OUTRAS (e os totais que as
    // regras refazem com elas) e o VCTOTALSIMPLES, que um regime de débito e crédito zera
    Declaracao esperada = d;
    ExclusoesKov& x = *esperada.exclusoes;
    x.ENTOUTRAS = v(x.ENTOUTRAS) + v(x.ENTSIMPLESREMESSA) + v(x.ENTMERCADORIASUSP) + v(x.ENTARMAZENAMENTODEPOSITO) +
                  v(x.ENTENTREGAFUTURA) + v(x.ENTCONSIGNACAO);
    x.SAIOUTRAS = v(x.SAIOUTRAS) + v(x.SAISIMPLESREMESSA) + v(x.SAIMERCADIORIASUSP) + v(x.SAIARMAZENAMENTODEPOSITO) +
                  v(x.SAIENTREGAFUTURA) + v(x.SAICONSIGNACAO);
    for (auto m : {&ExclusoesKov::ENTSIMPLESREMESSA, &ExclusoesKov::ENTMERCADORIASUSP,
                   &ExclusoesKov::ENTARMAZENAMENTODEPOSITO, &ExclusoesKov::ENTENTREGAFUTURA,
                   &ExclusoesKov::ENTCONSIGNACAO, &ExclusoesKov::SAISIMPLESREMESSA, &ExclusoesKov::SAIMERCADIORIASUSP,
                   &ExclusoesKov::SAIARMAZENAMENTODEPOSITO, &ExclusoesKov::SAIENTREGAFUTURA,
                   &ExclusoesKov::SAICONSIGNACAO})
        x.*m = Dinheiro{};
    TotaisAntesDeGravar(x);
    esperada.entrada->VCTOTALSIMPLES = esperada.saida->VCTOTALSIMPLES = Dinheiro{};

    auto conferir = [&](const Declaracao& r) {
        EXPECT_EQ(r.doc.CONTRIBUINTE_ID.has_value(), true);
        Documento doc = r.doc, docEsperado = esperada.doc;
        doc.DOCUMENTO_ID = docEsperado.DOCUMENTO_ID = 0;
        doc.CONTRIBUINTE_ID = docEsperado.CONTRIBUINTE_ID = 0;
        EXPECT_EQ(doc, docEsperado);
        auto semChave = [](auto linhas) {
            for (auto& l : linhas) l.DOCUMENTO_ID = 0;
            return linhas;
        };
        auto uma = [](auto l) {
            l->DOCUMENTO_ID = 0;
            return *l;
        };
        EXPECT_EQ(uma(r.estoque), uma(esperada.estoque));
        EXPECT_EQ(uma(r.despesas), uma(esperada.despesas));
        EXPECT_EQ(uma(r.resultado), uma(esperada.resultado));
        EXPECT_EQ(uma(r.entrada), uma(esperada.entrada));
        EXPECT_EQ(uma(r.saida), uma(esperada.saida));
        EXPECT_EQ(uma(r.kov), uma(esperada.kov));
        EXPECT_EQ(uma(r.exclusoes), uma(esperada.exclusoes));
        EXPECT_EQ(semChave(r.detalhamentoES), semChave(esperada.detalhamentoES));
        EXPECT_EQ(semChave(r.giEntrada), semChave(esperada.giEntrada));
        EXPECT_EQ(semChave(r.giSaidas), semChave(esperada.giSaidas));
        EXPECT_EQ(semChave(r.detalhamentoEntrada), semChave(esperada.detalhamentoEntrada));
        EXPECT_EQ(r.detalhamentoEntrada.size(), 300u);
    };
    const Declaracao restaurada = CarregarDeclaracao(destino.c, *chave);
    conferir(restaurada);
    EXPECT_EQ(restaurada.doc.STATUS_ID, 0);

    // O contribuinte que não estava na base: do arquivo, sem CNPJ e com o responsável 0
    const Contribuinte ct = CarregarContribuinte(destino.c, *restaurada.doc.CONTRIBUINTE_ID);
    EXPECT_EQ(ct.INSCESTADUAL, "1234567890107");
    EXPECT_EQ(ct.RAZAOSOCIAL, "Cafe e Cia (Ltda)");
    EXPECT_EQ(ct.CNAEF_ID + "/" + ct.DESMEMBRAMENTO, "4711301/00");
    EXPECT_EQ(ct.CODDRUMUNICIPIO, MUNICIPIO);
    EXPECT_EQ(ct.UF_ID, "QZ");
    EXPECT_EQ(ct.TIPOCONTRIBUINTE_ID, 1);
    EXPECT_EQ(ct.RESPONSAVEL_ID, 0);
    EXPECT_EQ(ct.CEP, "00000000");
    EXPECT_EQ(ct.CNPJ, "");

    // Entregas: os bytes do recibo guardado; a órfã do protocolo voltou; a de outra ficou
    auto entregasDe = [&](int doc) {
        auto tr = fb::Transacao::leitura(destino.c);
        auto v = LerEntregas(tr, doc);
        for (auto& e : v) e.TRANSMISSAO_ID = 0, e.DOCUMENTO_ID.reset();
        return v;
    };
    auto entregasOrigem = [&] {
        auto tr = fb::Transacao::leitura(origem.c);
        auto v = LerEntregas(tr, d.doc.DOCUMENTO_ID);
        for (auto& e : v) e.TRANSMISSAO_ID = 0, e.DOCUMENTO_ID.reset();
        return v;
    }();
    EXPECT_EQ(entregasDe(*chave), entregasOrigem);
    EXPECT_EQ(entregasDe(999).size(), 1u);
    EXPECT_TRUE(entregasDe(998).empty());

    // Restaurar de novo deixa a base como depois da primeira vez
    const auto antes = contagem(destino.c);
    EXPECT_EQ(restaurar(arq), chave);
    EXPECT_EQ(contagem(destino.c), antes);
    conferir(CarregarDeclaracao(destino.c, *chave));

    // Alterada depois, com uma UF e um município que o arquivo não tem; o ano base mudou: a
    // restauração substitui os valores sob a mesma chave, sem a regra do ano base, e mantém
    // as linhas que o arquivo não menciona
    Declaracao alterada = CarregarDeclaracao(destino.c, *chave);
    alterada.estoque->INITRIBUTADOS = R(1);
    alterada.detalhamento(5)->VCOUTRAS = R(2);
    alterada.giEntrada.push_back({*chave, "BA", R(3), R(0), R(0), R(0), R(0)});
    alterada.detalhamentoEntrada[0].VALOR = R(4);
    alterada.detalhamentoEntrada.push_back({*chave, outroMunicipio, R(5), "N", R(0)});
    GravarDeclaracao(destino.c, alterada);
    executar(destino.c, "UPDATE PARAMETROS SET VALOR = '2017' WHERE CAMPO = 'ANOEXERCICIO'");
    EXPECT_EQ(restaurar(arq), chave);
    EXPECT_TRUE(ui.mensagens.empty()) << ::testing::PrintToString(ui.textos());
    Declaracao substituida = CarregarDeclaracao(destino.c, *chave);
    EXPECT_EQ(substituida.estoque->INITRIBUTADOS, esperada.estoque->INITRIBUTADOS);
    EXPECT_EQ(substituida.detalhamento(5)->VCOUTRAS, esperada.detalhamento(5)->VCOUTRAS);
    EXPECT_EQ(substituida.giEntrada.size(), 4u);
    EXPECT_EQ(substituida.detalhamentoEntrada.size(), 301u);
    std::erase_if(substituida.giEntrada, [](const GIEntrada& g) { return g.UF_ID == "BA"; });
    std::erase_if(substituida.detalhamentoEntrada, [&](const DetalhamentoEntrada& m) { return m.CODDRUMUNICIPIO == outroMunicipio; });
    conferir(substituida);
}

// Arquivos escritos por outro programa a partir de docs/formato-arquivo.md: indentação, LF,
// <nome></nome>, só alguns elementos; as duas gerações do formato.
TEST_F(Leitor, ArquivosDeOutroProgramaDasDuasGeracoes) {
    auto arquivo = [&](const std::string& nome, const std::string& versao, const char* meses, const char* regime,
                       const char* apuracao) {
        const std::string bloco =
            "<contribuinte>\n  <ie_contribuinte>1234567890107</ie_contribuinte>\n"
            "  <razao_social>Comercio Novo</razao_social>\n  <cnaef>471130100</cnaef>\n"
            "  <municipio_dru>900001</municipio_dru>\n  <uf>QZ</uf>\n  <tipo_contribuinte>1</tipo_contribuinte>\n"
            "</contribuinte>\n<documento>\n  <ie>1234567890107</ie>\n  <apuracao>" + std::string(apuracao) +
            "</apuracao>\n  <tipo_contribuinte>1</tipo_contribuinte>\n  <municipio_dru>900001</municipio_dru>\n"
            "  <cnaef>471130100</cnaef>\n  <escrita_contabil>N</escrita_contabil>\n  <baixa>N</baixa>\n"
            "  <mudanca_municipio>N</mudanca_municipio>\n  <mudanca_municipio_atual></mudanca_municipio_atual>\n"
            "  <regime_recolhimento>" + regime + "</regime_recolhimento>\n"
            "  <prelo>\n    <entrada>\n      <valor_contabil_total><total>1000,5</total></valor_contabil_total>\n"
            "      <estado><valor_contabil><compra>7</compra></valor_contabil></estado>\n    </entrada>\n  </prelo>\n"
            "  <kov><exclusoes><entrada><simples_remessa>10</simples_remessa><outras>5</outras></entrada>"
            "</exclusoes></kov>\n"
            "  <entregas><item><data>01/03/2017</data><hora>10:00:00</hora><protocolo>P1</protocolo>"
            "<tipotransmissao>T</tipotransmissao><recibo></recibo><status>1</status></item></entregas>\n"
            "</documento>\n";
        const std::string texto =
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<arquivo>\n  <cabecalho>\n"
            "    <tipo_identificador>IE</tipo_identificador>\n    <identificador>1234567890107</identificador>\n"
            "    <versao_programa_gerador>" + versao + "</versao_programa_gerador>\n"
            "    <periodo_referencia>\n      <data_inicial>01/" + std::string(meses, 2) +
            "/2016</data_inicial>\n      <data_final>30/" + std::string(meses + 3, 2) + "/2016</data_final>\n"
            "    </periodo_referencia>\n    <substituicao><indicativo_substituicao>N</indicativo_substituicao>"
            "<protocolo_substituicao></protocolo_substituicao></substituicao>\n  </cabecalho>\n  <dados>\n    " +
            CifrarLinhas({bloco}, programa) + "\n  </dados>\n</arquivo>\n";
        teste::escreverArquivo(caminho(nome), texto);
        return caminho(nome);
    };
    // Primeira geração: regime_recolhimento é o REGIME_ID; as entregas não são lidas
    const auto antiga = restaurar(arquivo("antiga.xml", "7.00.01", "01 06", "2", "0"));
    ASSERT_TRUE(antiga.has_value()) << ::testing::PrintToString(ui.textos());
    // Geração atual: o código 53 é o regime do código 52 com apuração real
    const auto atual = restaurar(arquivo("atual.xml", "7.07.10", "07 09", "53", "1"));
    ASSERT_TRUE(atual.has_value()) << ::testing::PrintToString(ui.textos());
    EXPECT_TRUE(ui.mensagens.empty()) << ::testing::PrintToString(ui.textos());

    const Declaracao a = CarregarDeclaracao(destino.c, *antiga), b = CarregarDeclaracao(destino.c, *atual);
    EXPECT_EQ(a.doc.REGIME_ID, 2);
    EXPECT_EQ(b.doc.REGIME_ID, 5);
    EXPECT_EQ(b.doc.TIPORECOLHIMENTO_ID, 1);
    EXPECT_EQ(std::make_pair(a.doc.MESINICIAL, a.doc.MESFINAL), std::make_pair(std::optional(1), std::optional(6)));
    EXPECT_EQ(a.doc.CONTRIBUINTE_ID, b.doc.CONTRIBUINTE_ID) << "o contribuinte é criado uma vez";
    EXPECT_EQ(a.entrada->VCTOTAL, R(100050));
    EXPECT_EQ(a.entrada->VCTOTALSIMPLES, R(0));
    EXPECT_EQ(b.entrada->VCTOTAL, R(0));
    EXPECT_EQ(b.entrada->VCTOTALSIMPLES, R(100050));
    for (const Declaracao* d : {&a, &b}) {
        EXPECT_EQ(d->exclusoes->ENTOUTRAS, R(1500)) << "simples remessa 10 somada a outras 5";
        EXPECT_EQ(d->exclusoes->ENTSIMPLESREMESSA, R(0));
        EXPECT_EQ(d->exclusoes->ENTAJUSTETRANSFERENCIA, std::nullopt) << "sem ajuste no arquivo: nulo";
        EXPECT_EQ(d->exclusoes->ENTTOTAL, R(1500));
        EXPECT_EQ(d->detalhamento(1)->VCCOMPRAVENDA, R(700));
        EXPECT_EQ(d->detalhamento(1)->VCSUBTOTAL, R(700)) << "total refeito pela regra da linha";
        EXPECT_EQ(d->estoque->INITRIBUTADOS, std::nullopt) << "elemento ausente: nulo";
    }
    auto tr = fb::Transacao::leitura(destino.c);
    EXPECT_TRUE(LerEntregas(tr, *antiga).empty()) << "primeira geração: entregas ignoradas";
    EXPECT_EQ(LerEntregas(tr, *atual).size(), 1u);
    EXPECT_EQ(CarregarContribuinte(tr, *a.doc.CONTRIBUINTE_ID).RAZAOSOCIAL, "Comercio Novo");
}

// Cada recusa mostra o seu motivo e não deixa nada na base nem a cópia de trabalho.
TEST_F(Leitor, RecusasNaoGravamNada) {
    const Declaracao d = completa(1, 6);
    const std::string bom = cifrado(d, "bom.xml");
    const std::string claro = blocoClaro(d);
    GerarArquivoDeclaracao(d, escritor(), caminho("claro.xml"), false);
    const std::string outraChave = (origem.pasta.caminho() / "outra").string();
    fs::create_directories(outraChave);
    GravarParChavesRSA(GerarParChavesRSA(), outraChave);
    GerarArquivoDeclaracao(d, {origem.c, ui, "7.07.10", outraChave}, caminho("outra.xml"), true);
    const std::string bytes = teste::lerArquivo(bom);
    teste::escreverArquivo(caminho("truncado.xml"), bytes.substr(0, bytes.size() / 2));
    teste::escreverArquivo(caminho("lixo.xml"), "isto não é XML");
    teste::escreverArquivo(caminho("semdados.xml"), "<arquivo><cabecalho/></arquivo>");
    teste::escreverArquivo(caminho("vazio.xml"), "<arquivo><cabecalho/><dados>  </dados></arquivo>");
    // Base64 com um bloco a menos: a decifração falha na caixa da cifra
    const std::string b64 = "<dados>";
    const size_t ini = bytes.find(b64) + b64.size();
    teste::escreverArquivo(caminho("blocos.xml"), bytes.substr(0, ini) + bytes.substr(ini + 24));
    const std::string municipio = "<municipio_dru>" + std::to_string(MUNICIPIO + 1) + "</municipio_dru>\r\n<valor>";

    struct Caso {
        std::string arquivo;
        std::string mensagem;  // início do texto da última mensagem
        int anoCorrente = 2026;
    };
    const Caso casos[] = {
        {caminho("nada.xml"), MSG_FORMATO_INVALIDO},
        {caminho("lixo.xml"), MSG_FORMATO_INVALIDO},
        {caminho("truncado.xml"), MSG_FORMATO_INVALIDO},
        {caminho("semdados.xml"), MSG_TIPO_INVALIDO},
        {caminho("vazio.xml"), MSG_ERRO_DESCRIPTOGRAFAR},
        {caminho("claro.xml"), MSG_ERRO_DESCRIPTOGRAFAR},
        {caminho("outra.xml"), "RSA decoding error"},
        {caminho("blocos.xml"), "RSA decoding error"},
        {cifradoDoBloco(d, "<contribuinte><ie_contribuinte>1</contribuinte>", "malformado.xml"), MSG_FORMATO_INVALIDO},
        {cifradoDoBloco(d, trocar(claro, "<tributados>", "<tributados>12,345"), "valor.xml"),
         "Valor inválido no arquivo em /arquivo/dados/documento/prelo/estoque/valor_inicial/tributados: \"12,345"},
        {cifradoDoBloco(d, trocar(claro, municipio + "501", municipio + "-501"), "negativo.xml"),
         "Campo \"VALOR\" não pode ter valor negativo"},
        {cifradoDoBloco(d, trocar(claro, municipio, "<municipio_dru>77</municipio_dru>\r\n<valor>"), "municipio.xml"),
         "Id. do Município não informado!"},
        {cifradoDoBloco(d, trocar(claro, "<uf>MG</uf>", "<uf></uf>"), "uf.xml"), "UF não informada!"},
        {cifradoDoBloco(d, trocar(claro, "<regime_recolhimento>1<", "<regime_recolhimento>99<"), "regime.xml"),
         "Regime de recolhimento desconhecido no arquivo: código \"99\"."},
        {cifradoDoBloco(d, trocar(claro, "<baixa>N<", "<baixa>X<"), "baixa.xml"), "Valor inválido no arquivo em"},
        {cifradoDoBloco(d, trocar(claro, "<data>01/03/2017<", "<data>31/02/2017<"), "data.xml"),
         "Valor inválido no arquivo em /arquivo/dados/documento/entregas/item[1]/data"},
        {cifradoDoBloco(d, claro, "anocorrente.xml"), "Quando o ano exercício é igual ao ano corrente", 2016},
        {cifradoDoBloco(d, trocar(claro, "<municipio_dru>900000</municipio_dru>\r\n<uf>", "<municipio_dru>1</municipio_dru>\r\n<uf>"),
                        "contribuinte.xml"),
         "Contribuinte de inscrição estadual 1234567890107 não cadastrado"},
    };
    for (const auto& c : casos) {
        ui.mensagens.clear();
        const auto antes = contagem(destino.c);
        EXPECT_FALSE(restaurar(c.arquivo, c.anoCorrente).has_value()) << c.arquivo;
        EXPECT_EQ(contagem(destino.c), antes) << c.arquivo;
        EXPECT_FALSE(copiaDeTrabalhoExiste()) << c.arquivo;
        ASSERT_FALSE(ui.mensagens.empty()) << c.arquivo;
        const auto& m = ui.mensagens.back();
        EXPECT_EQ(m.titulo, "Erro") << c.arquivo;
        EXPECT_EQ(m.texto.rfind(c.mensagem, 0), 0u) << c.arquivo << ": " << m.texto;
    }
    // O contribuinte que não pôde ser criado: a razão e depois a recusa da declaração
    EXPECT_EQ(ui.mensagens.size(), 2u);
    EXPECT_NE(ui.mensagens[0].texto.find("FK_CONTRIBUINTE_MUNICIPIO"), std::string::npos) << ui.mensagens[0].texto;
    // Outra chave: só a caixa da cifra, com o suporte a contactar
    ui.mensagens.clear();
    restaurar(caminho("outra.xml"));
    ASSERT_EQ(ui.mensagens.size(), 1u);
    EXPECT_EQ(ui.mensagens[0].texto.substr(ui.mensagens[0].texto.size() - 27), "\rContacte o suporte do KOV!");

    // Nova declaração de outro ano base; depois, uma falha no meio da substituição de uma
    // declaração existente a deixa como estava
    executar(destino.c, "UPDATE PARAMETROS SET VALOR = '2017' WHERE CAMPO = 'ANOEXERCICIO'");
    ui.mensagens.clear();
    EXPECT_FALSE(restaurar(bom).has_value());
    EXPECT_EQ(ui.textos(), std::vector<std::string>{MSG_ANO_BASE_DIFERENTE});
    executar(destino.c, "UPDATE PARAMETROS SET VALOR = '2016' WHERE CAMPO = 'ANOEXERCICIO'");
    const auto chave = restaurar(bom);
    ASSERT_TRUE(chave.has_value());
    const Declaracao antes = CarregarDeclaracao(destino.c, *chave);
    const auto contagemAntes = contagem(destino.c);
    EXPECT_FALSE(restaurar(caminho("municipio.xml")).has_value());
    const Declaracao depois = CarregarDeclaracao(destino.c, *chave);
    EXPECT_EQ(depois.estoque, antes.estoque);
    EXPECT_EQ(depois.detalhamentoEntrada, antes.detalhamentoEntrada);
    EXPECT_EQ(contagem(destino.c), contagemAntes);

    // Sem onde gravar a cópia de trabalho: o erro chega a quem chamou, nada gravado
    fs::remove_all(fs::path(programa) / "temp");
    teste::escreverArquivo(fs::path(programa) / "temp", "um arquivo no lugar da pasta");
    EXPECT_THROW(
        {
            try {
                restaurar(bom);
            } catch (const ErroSistema& e) {
                EXPECT_STREQ(e.what(), "Não foi possível salvar o arquivo.");
                throw;
            }
        },
        ErroSistema);
    EXPECT_EQ(contagem(destino.c), contagemAntes);
}
