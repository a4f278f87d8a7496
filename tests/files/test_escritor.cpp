// O escritor do arquivo de declaração: regras de cada valor (tabelas), e o arquivo escrito a
// partir de declarações gravadas numa base real, às claras e cifrado.
#include <gtest/gtest.h>

#include <libxml/tree.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"
#include "files/untGeraXmlKOV.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

Dinheiro R(int64_t centavos) { return Dinheiro::deCentavos(centavos); }

// Elemento pelo caminho "a/b/c" a partir de um nó
xmlNode* no(xmlNode* de, const std::string& caminho) {
    size_t i = 0;
    while (de && i <= caminho.size()) {
        const size_t f = caminho.find('/', i);
        const std::string nome = caminho.substr(i, f == std::string::npos ? std::string::npos : f - i);
        de = FilhoElemento(de, nome.c_str());
        if (f == std::string::npos) break;
        i = f + 1;
    }
    return de;
}
std::string texto(xmlNode* de, const std::string& caminho) {
    xmlNode* n = no(de, caminho);
    return n ? TextoElemento(n) : "(ausente)";
}
std::vector<xmlNode*> filhos(xmlNode* pai) {
    std::vector<xmlNode*> v;
    for (xmlNode* f = pai ? pai->children : nullptr; f; f = f->next)
        if (f->type == XML_ELEMENT_NODE) v.push_back(f);
    return v;
}

}  // namespace

TEST(RegrasEscritor, ValoresTextosNomesEDatas) {
    EXPECT_EQ(ValorOuZero(""), "0");
    EXPECT_EQ(ValorOuZero(" \t "), "0");
    EXPECT_EQ(ValorOuZero(" x "), " x ") << "o valor não é aparado";

    const std::pair<Quantia, const char*> valores[] = {
        {std::nullopt, ""},    {R(0), "0"},       {R(123400), "1234"}, {R(123450), "1234,5"}, {R(-1230), "-12,3"},
        {R(50), "0,5"},        {R(5), "0,05"},    {R(-5), "-0,05"},    {R(123456789012), "1234567890,12"},
    };
    for (const auto& [q, t] : valores) EXPECT_EQ(TextoValorArquivo(q), t);

    EXPECT_EQ(TextoSemAcentos("Café & Cia <Ltda>"), "Cafe e Cia (Ltda)");
    EXPECT_EQ(TextoSemAcentos("José D'Ávila"), "Jose D'Avila");
    EXPECT_EQ(TextoSemAcentos("ÀÁÂÃÄÅÇÈÉÊËÌÍÎÏÑÒÓÔÕÖÙÚÛÜÝàáâãäåçèéêëìíîïñòóôõöùúûüýÿ"),
              "AAAAAACEEEEIIIINOOOOOUUUUYaaaaaaceeeeiiiinooooouuuuyy");
    EXPECT_EQ(TextoSemAcentos("ÆÐØÞßæðøþ×÷€ ok"), "ÆÐØÞßæðøþ×÷€ ok");

    // Nome do arquivo: último dia do mês INICIAL; cabeçalho: primeiro dia do mês inicial e
    // último do mês final pelo calendário
    struct Caso {
        int ano, ini, fim;
        const char* subst;
        const char* nome;
        const char* dataInicial;
        const char* dataFinal;
    };
    const Caso casos[] = {
        {2009, 1, 12, "N", "KOV1234567890107200912012009" "0131N.xml", "01/01/2009", "31/12/2009"},
        {2016, 2, 2, "N", "KOV1234567890107201602012016" "0229N.xml", "01/02/2016", "29/02/2016"},
        {2015, 2, 2, "S", "KOV1234567890107201502012015" "0228S.xml", "01/02/2015", "28/02/2015"},
        {2009, 4, 12, "S", "KOV1234567890107200912012009" "0430S.xml", "01/04/2009", "31/12/2009"},
        {2016, 1, 4, "N", "KOV1234567890107201604012016" "0131N.xml", "01/01/2016", "30/04/2016"},
    };
    for (const auto& c : casos) {
        Declaracao d;
        d.IE_CONTRIBUINTE = "1234567890107";
        d.doc.PERIODO = c.ano;
        d.doc.MESINICIAL = c.ini;
        d.doc.MESFINAL = c.fim;
        d.doc.SUBSTITUICAO = c.subst;
        EXPECT_EQ(NomeArquivoDeclaracao(d), c.nome);
        Contribuinte ct;
        ct.INSCESTADUAL = "  ";
        const TInfCabecalho cab = CabecalhoDaDeclaracao(d, ct, "7.07.10");
        EXPECT_EQ(TextoDataCabecalho(cab.data_inicial), c.dataInicial);
        EXPECT_EQ(TextoDataCabecalho(cab.data_final), c.dataFinal);
        EXPECT_EQ(cab.identificador, "0") << "regra do zero";
        EXPECT_EQ(cab.indicativo_substituicao, c.subst);
        EXPECT_EQ(TextoDataCabecalho(cab.protocolo_data), "30/12/1899");
        EXPECT_EQ(TextoHoraCabecalho(cab.protocolo_hora), "00:00");
    }
    Declaracao semMes;
    semMes.doc.PERIODO = 2016;
    EXPECT_THROW(NomeArquivoDeclaracao(semMes), ErroSistema);
}

TEST(RegrasEscritor, SemMovimento) {
    auto zerada = [] {
        Declaracao d;
        d.estoque.emplace();
        ZerarCampos(*d.estoque);
        d.kov.emplace();
        ZerarCampos(*d.kov);
        for (int t = 1; t <= 6; ++t) {
            DetalhamentoES e;
            e.TIPOOPERACAO_ID = t;
            ZerarCampos(e);
            d.detalhamentoES.push_back(e);
        }
        d.giEntrada.push_back({});
        ZerarCampos(d.giEntrada.back());
        return d;
    };
    struct Caso {
        const char* nome;
        std::function<void(Declaracao&)> mudar;
        bool semMovimento;
    };
    const Caso casos[] = {
        {"tudo zero", [](Declaracao&) {}, true},
        {"sem seções", [](Declaracao& d) { d = Declaracao{}; }, true},
        {"um valor", [](Declaracao& d) { d.kov->ENTRADAS = R(1); }, false},
        {"um nulo numa linha olhada", [](Declaracao& d) { d.estoque->FIMSST.reset(); }, false},
        {"valor na primeira linha de várias", [](Declaracao& d) { d.detalhamentoES[0].BCOUTRAS = R(-1); }, false},
        {"valor só numa linha que não é a primeira", [](Declaracao& d) { d.detalhamentoES[3].BCOUTRAS = R(7); }, true},
        {"GI com valor", [](Declaracao& d) { d.giEntrada[0].STOUTROS = R(2); }, false},
        {"município com valor nulo", [](Declaracao& d) { d.detalhamentoEntrada.push_back({}); }, false},
    };
    for (const auto& c : casos) {
        Declaracao d = zerada();
        c.mudar(d);
        EXPECT_EQ(DeclaracaoSemMovimento(d), c.semMovimento) << c.nome;
    }
}

namespace {

struct Escritor : ::testing::Test {
    teste::BaseAberta base;
    teste::PastaTemporaria& pasta = base.pasta;
    fb::Conexao& c = base.c;
    Contribuinte contribuinte;
    int municipio = 0;
    teste::InteracaoGravada ui;
    std::string chaves;

    void SetUp() override {
        fb::Transacao tr(c);
        fb::Comando m(tr, "SELECT MIN(CODDRUMUNICIPIO) FROM MUNICIPIO");
        m.proximo();
        municipio = static_cast<int>(m.coluna(0).inteiro());
        Responsavel r;
        r.RESPONSAVEL_ID = 1;
        r.NOME = "  José D'Ávila ";
        r.DDD = "11";
        r.TELEFONE = "55551234";
        r.EMAIL = "ana&bia<x>@exemplo.com.br";
        InserirLinhas(tr, std::vector<Responsavel>{r});
        contribuinte = teste::ContribuinteDeTeste(1, municipio, "Café & Cia <Ltda>");
        contribuinte.RESPONSAVEL_ID = 1;
        InserirLinhas(tr, std::vector<Contribuinte>{contribuinte});
        tr.commit();
        chaves = (pasta.caminho() / "EXE").string();
        fs::create_directories(chaves);
        static const ParChavesRSA par = GerarParChavesRSA();
        GravarParChavesRSA(par, chaves);
    }

    Declaracao gravada(int regime, int mesInicial = 1, int mesFinal = 12) {
        Declaracao d = NovaDeclaracao("2016");
        DefinirContribuinte(d, contribuinte);
        d.doc.REGIME_ID = regime;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CODDRUMUNICIPIO = municipio;
        d.doc.MESINICIAL = mesInicial;
        d.doc.MESFINAL = mesFinal;
        SalvarDeclaracao(c, d, contribuinte, 2026, "2016");
        return CarregarDeclaracao(c, d.doc.DOCUMENTO_ID);
    }

    ContextoArquivo ctx() { return {c, ui, "7.07.10", chaves}; }
    std::string caminho(const std::string& nome) { return (pasta.caminho() / nome).string(); }

    void entrega(int id, int documento, const char* data, const char* hora, const char* protocolo, const char* tipo,
                 const std::string& recibo) {
        fb::Transacao tr(c);
        fb::Comando q(tr,
                      "INSERT INTO TRANSMISSAO (TRANSMISSAO_ID, DOCUMENTO_ID, DATA, HORA, PROTOCOLO, TIPOTRANSMISSAO, "
                      "STATUS, RECIBO) VALUES (:ID, :DOC, CAST(:DATA AS DATE), :HORA, :PROT, :TIPO, 1, :RECIBO)");
        q.param("ID", id).param("DOC", documento).param("DATA", data).param("HORA", hora).param("PROT", protocolo);
        q.param("TIPO", tipo).param("RECIBO", fb::Valor::binario(recibo)).executar();
        tr.commit();
    }
};

}  // namespace

TEST_F(Escritor, ArquivoAsClarasComOsValoresDaDeclaracao) {
    Declaracao d = gravada(1);
    d.estoque->INITRIBUTADOS = R(123400);
    d.estoque->INISST = R(123450);
    d.estoque->INIISENTO = R(-1230);
    d.estoque->INIOUTROS.reset();
    d.detalhamento(2)->VCDEVOLUCAO = R(999);
    d.detalhamentoES.erase(d.detalhamentoES.begin() + 4);  // tipo 5 sem linha: escreve "0"
    // Três entregas gravadas fora de ordem; recibos em Windows-1252 com CR LF
    const int doc = d.doc.DOCUMENTO_ID;
    entrega(903, doc, "2017-03-02", "08:00:00", "20170000000000003", "T", "terceira\r\n");
    entrega(901, doc, "2017-03-01", "09:30:00", "", "D", "Per\xEDodo\r\nlinha ]]> fim\r\n");
    entrega(902, doc, "2017-03-01", "10:00:00", "20170000000000002", "T", "");

    const std::string arq = caminho("claro.xml");
    GerarArquivoDeclaracao(d, ctx(), arq, false);
    EXPECT_TRUE(ui.mensagens.empty());
    const DocumentoXml x = LerArquivoXml(arq);
    xmlNode* raiz = x.raiz();
    xmlNode* ct = no(raiz, "dados/contribuinte");
    xmlNode* dc = no(raiz, "dados/documento");
    const std::pair<const char*, const char*> esperados[] = {
        {"cabecalho/identificador", "1234567890107"},
        {"cabecalho/versao_programa_gerador", "7.07.10"},
        {"cabecalho/periodo_referencia/data_inicial", "01/01/2016"},
        {"cabecalho/periodo_referencia/data_final", "31/12/2016"},
        {"cabecalho/protocolo/data", "30/12/1899"},
        {"cabecalho/protocolo/hora", "00:00"},
        {"cabecalho/protocolo/numero", ""},
        {"dados/contribuinte/razao_social", "Cafe e Cia (Ltda)"},
        {"dados/contribuinte/cnaef", "471130100"},
        {"dados/contribuinte/uf", "QZ"},
        {"dados/contribuinte/responsavel/nome", "Jose D'Avila"},
        {"dados/contribuinte/responsavel/mail", "ana&bia<x>@exemplo.com.br"},
        {"dados/documento/regime_recolhimento", "1"},
        {"dados/documento/apuracao", "0"},
        {"dados/documento/sem_movimento", "N"},
        {"dados/documento/prelo/estoque/valor_inicial/tributados", "1234"},
        {"dados/documento/prelo/estoque/valor_inicial/sujeitos_st", "1234,5"},
        {"dados/documento/prelo/estoque/valor_inicial/isentos", "-12,3"},
        {"dados/documento/prelo/estoque/valor_inicial/outros", "0"},
        {"dados/documento/prelo/entrada/outros_estados/valor_contabil/devolucao", "9,99"},
    };
    for (const auto& [c, v] : esperados) EXPECT_EQ(texto(raiz, c), v) << c;
    EXPECT_EQ(filhos(ct).size(), 8u);
    EXPECT_EQ(filhos(dc).size(), 16u);
    // 6 grupos × 4 medidas × 8 espécies = 192 valores; o tipo sem linha só tem "0"
    size_t folhas = 0;
    for (const char* es : {"entrada", "saida"})
        for (const char* g : {"estado", "outros_estados", "exterior"})
            for (xmlNode* medida : filhos(no(dc, std::string("prelo/") + es + "/" + g))) {
                EXPECT_EQ(filhos(medida).size(), 8u);
                for (xmlNode* especie : filhos(medida)) {
                    ++folhas;
                    if (std::string(es) == "saida" && std::string(g) == "outros_estados") {
                        EXPECT_EQ(TextoElemento(especie), "0");
                    }
                }
            }
    EXPECT_EQ(folhas, 192u);
    // Sem GI e sem municípios: detalhamentos vazios
    EXPECT_TRUE(filhos(no(dc, "gi/entrada/detalhamento")).empty());
    EXPECT_TRUE(filhos(no(dc, "kov/tessiva/outras_entradas/detalhamento")).empty());
    EXPECT_NE(teste::lerArquivo(arq).find("<gi><entrada><detalhamento/></entrada><saida><detalhamento/></saida></gi>"),
              std::string::npos);
    // Entregas em ordem de data e hora, o recibo em CDATA (fins de linha LF depois da leitura)
    const auto itens = filhos(no(dc, "entregas"));
    ASSERT_EQ(itens.size(), 3u);
    EXPECT_EQ(texto(itens[0], "data"), "01/03/2017");
    EXPECT_EQ(texto(itens[0], "hora"), "09:30:00");
    EXPECT_EQ(texto(itens[0], "tipotransmissao"), "D");
    EXPECT_EQ(texto(itens[0], "recibo"), "Per\xC3\xADodo\nlinha ]]> fim\n");
    EXPECT_EQ(texto(itens[0], "status"), "1");
    EXPECT_EQ(texto(itens[1], "protocolo"), "20170000000000002");
    EXPECT_EQ(texto(itens[1], "recibo"), "");
    EXPECT_EQ(texto(itens[2], "protocolo"), "20170000000000003");
    EXPECT_NE(teste::lerArquivo(arq).find("<recibo><![CDATA[Per\xEDodo\nlinha ]]]]><![CDATA[> fim\n]]></recibo>"),
              std::string::npos);
    // O arquivo escrito passa na conferência
    EXPECT_TRUE(ConferirVerificador(arq, ui));
}

TEST_F(Escritor, DeclaracaoZeradaEDetalhamentos) {
    Declaracao d = gravada(2, 2, 2);
    EXPECT_TRUE(DeclaracaoSemMovimento(d));
    GerarArquivoDeclaracao(d, ctx(), caminho("a.xml"), false);
    std::string b = teste::lerArquivo(caminho("a.xml"));
    EXPECT_NE(b.find("<sem_movimento>S</sem_movimento>"), std::string::npos);
    EXPECT_NE(b.find("<entregas/>"), std::string::npos);
    EXPECT_NE(b.find("<data_final>29/02/2016</data_final>"), std::string::npos);
    // Municípios (em ordem de nome, como o agregado os lê) e GI por UF
    d.kov->SAIDAS.reset();
    d.giEntrada.push_back({d.doc.DOCUMENTO_ID, "MG", R(100), R(0), R(0), R(0), R(0)});
    d.giSaidas.push_back({d.doc.DOCUMENTO_ID, "SP", R(1), R(2), R(3), R(4), R(5), std::nullopt});
    d.detalhamentoEntrada.push_back({d.doc.DOCUMENTO_ID, municipio, R(150), "S", R(-1)});
    GerarArquivoDeclaracao(d, ctx(), caminho("a.xml"), false);
    b = teste::lerArquivo(caminho("a.xml"));
    EXPECT_NE(b.find("<sem_movimento>N</sem_movimento>"), std::string::npos);
    EXPECT_NE(b.find("<saidas>0</saidas>"), std::string::npos) << "valor nulo escrito 0";
    EXPECT_NE(b.find("<valor_detalhe_entradas_gi><uf>MG</uf><valor_contabil>1</valor_contabil>"), std::string::npos);
    EXPECT_NE(b.find("<outras_saidas>0,05</outras_saidas><substituicao_tributaria>0</substituicao_tributaria>"),
              std::string::npos);
    EXPECT_NE(b.find("<municipio_dru>" + std::to_string(municipio) +
                     "</municipio_dru><valor>1,5</valor><mudancamunicipio>S</mudancamunicipio>"
                     "<valormudanca>-0,01</valormudanca></valor_detalhamento>"),
              std::string::npos);
}

TEST_F(Escritor, CodigoDoRegime) {
    {
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr, "UPDATE REGIME SET CODIGO = 52 WHERE REGIME_ID = 1");
        fb::Comando::executarDireto(tr, "UPDATE REGIME SET CODIGO = 54 WHERE REGIME_ID = 2");
        tr.commit();
    }
    auto tr = fb::Transacao::leitura(c);
    EXPECT_EQ(CodigoRegime(tr, "1", 1), "53");
    EXPECT_EQ(CodigoRegime(tr, "1", 0), "52");
    EXPECT_EQ(CodigoRegime(tr, "1", std::nullopt), "52");
    EXPECT_EQ(CodigoRegime(tr, "2", 1), "55");
    EXPECT_EQ(CodigoRegime(tr, "4", 1), "3");
    EXPECT_EQ(CodigoRegime(tr, "99", 1), "") << "sem linha: vazio, que a regra do zero escreve 0";
    EXPECT_THROW(CodigoRegime(tr, "x", 1), ErroSistema);
    tr.commit();
    // No arquivo: 53 e 52 conforme a apuração
    Declaracao d = gravada(1);
    d.doc.TIPORECOLHIMENTO_ID = 1;
    GerarArquivoDeclaracao(d, ctx(), caminho("r.xml"), false);
    EXPECT_NE(teste::lerArquivo(caminho("r.xml")).find("<regime_recolhimento>53</regime_recolhimento>"),
              std::string::npos);
}

TEST_F(Escritor, RegimesSimplificadosRecusadosSemArquivo) {
    for (int regime : {3, 5, 6}) {
        Declaracao d = gravada(regime);
        ui.mensagens.clear();
        const std::string arq = caminho("recusada.xml");
        EXPECT_THROW(GerarArquivoDeclaracao(d, ctx(), arq, false), Abortar) << regime;
        ASSERT_EQ(ui.mensagens.size(), 1u);
        EXPECT_EQ(ui.mensagens[0].titulo, "Tipo de documento inválido");
        EXPECT_EQ(ui.mensagens[0].texto,
                  "Impossível efetuar transmissão!\r\nFavor imprimir duas vias da declaração e entregar na "
                  "Administração Fazendária \r\nde sua circunscrição");
        EXPECT_FALSE(fs::exists(arq)) << regime;
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr, "DELETE FROM DOCUMENTO");
        tr.commit();
    }
}

TEST_F(Escritor, CifradoDecifraParaOBlocoDeDadosEFalhaDaCifraNaoDeixaArquivo) {
    Declaracao d = gravada(4);
    d.resultado->IMPOSTO = R(4242);
    entrega(1, d.doc.DOCUMENTO_ID, "2017-01-02", "10:00:00", "", "D", "recibo\r\n");
    GerarArquivoDeclaracao(d, ctx(), caminho("claro.xml"), false);
    GerarArquivoDeclaracao(d, ctx(), caminho("cifrado.xml"), true);
    EXPECT_TRUE(ui.mensagens.empty());
    const DocumentoXml cifrado = LerArquivoXml(caminho("cifrado.xml"));
    xmlNode* dados = no(cifrado.raiz(), "dados");
    EXPECT_TRUE(filhos(dados).empty()) << "só um texto, sem elementos";
    const std::string base64 = TextoElemento(dados);
    EXPECT_EQ(base64.back(), '\n');
    EXPECT_EQ(base64.find_first_of("\r\n"), base64.size() - 1) << "Base64 numa linha, seguido de uma quebra";
    // Decifrado, é o bloco de dados do arquivo às claras, linha a linha com CR LF
    const std::string claro = DecifrarTexto(base64, chaves, ui);
    EXPECT_TRUE(ui.mensagens.empty());
    EXPECT_EQ(claro.rfind("<contribuinte>\r\n<ie_contribuinte>", 0), 0u);
    EXPECT_EQ(claro.substr(claro.size() - 12), "</documento>");
    const DocumentoXml doClaro = LerArquivoXml(caminho("claro.xml"));
    const DocumentoXml doCifrado = LerXml("<dados>" + claro + "</dados>");
    const std::string s1 = SerializarDocumento(doClaro), s2 = SerializarDocumento(doCifrado);
    const size_t ini = s2.find("<dados>"), fim = s2.rfind("</dados>") + 8;
    EXPECT_NE(s1.find(s2.substr(ini, fim - ini)), std::string::npos) << "mesmo conteúdo do bloco às claras";
    EXPECT_TRUE(ConferirVerificador(caminho("cifrado.xml"), ui));
    ui.mensagens.clear();

    // Sem chaves: o escritor falha com o texto da cifra; nenhum arquivo novo, o antigo intacto
    const std::string antes = teste::lerArquivo(caminho("cifrado.xml"));
    fs::remove(fs::path(chaves) / ARQUIVO_CHAVE_PUBLICA);
    for (const char* nome : {"cifrado.xml", "novo.xml"}) {
        try {
            GerarArquivoDeclaracao(d, ctx(), caminho(nome), true);
            ADD_FAILURE();
        } catch (const ErroSistema& e) {
            const std::string m = e.what();
            EXPECT_EQ(m.rfind("Arquivo de chave não encontrado: ", 0), 0u) << m;
            EXPECT_EQ(m.substr(m.size() - 27), "\rContacte o suporte do KOV!");
        }
    }
    EXPECT_EQ(teste::lerArquivo(caminho("cifrado.xml")), antes);
    EXPECT_FALSE(fs::exists(caminho("novo.xml")));
    EXPECT_TRUE(ui.mensagens.empty()) << "o erro chega ao chamador, sem caixa a mais";
}
