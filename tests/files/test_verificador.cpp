// O arquivo montado byte a byte, o verificador de integridade e a sua conferência, e a
// leitura segura do XML (entidades, DTD, "billion laughs").
#include <gtest/gtest.h>

#include <libxml/tree.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/InteracaoGravada.h"
#include "files/DocumentoXml.h"
#include "files/untManipula_XML.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

TInfCabecalho cabecalho() {
    using namespace std::chrono;
    TInfCabecalho c;
    c.tipo_identificador = "IE";
    c.identificador = "1234567890107";
    c.tipo_arquivo = "3";
    c.versao_programa_gerador = "7.07.10";
    c.data_inicial = {fb::Data{year{2016}, February, day{1}}, 0, 0, 0};
    c.data_final = {fb::Data{year{2016}, February, day{29}}, 0, 0, 0};
    c.indicativo_substituicao = "N";
    return c;
}

// Registra também a limpeza do texto de situação
struct InteracaoComLimpeza : teste::InteracaoGravada {
    int limpezas = 0;
    void limparStatus() override { ++limpezas; }
};

const std::string DADOS = "<contribuinte>\r\n<ie_contribuinte>1234567890107</ie_contribuinte>\r\n"
                          "<razao_social>  Caf\xE9 </razao_social>\r\n</contribuinte>\r\n<documento>\r\n"
                          "<ie>1234567890107</ie>\r\n</documento>\r\n";

// Troca um trecho do arquivo (um retorno alterado por outro programa)
void trocar(const fs::path& p, const std::string& de, const std::string& para) {
    std::string b = teste::lerArquivo(p);
    const auto i = b.find(de);
    ASSERT_NE(i, std::string::npos) << de;
    b.replace(i, de.size(), para);
    teste::escreverArquivo(p, b);
}

}  // namespace

TEST(Verificador, ArquivoMontadoByteAByte) {
    teste::PastaTemporaria pasta;
    const fs::path arq = pasta.caminho() / "KOV.xml";
    MontarArquivoDeclaracao(arq.string(), cabecalho(), DADOS);
    const std::string b = teste::lerArquivo(arq);
    const std::string antes =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
        "<arquivo><cabecalho><tipo_identificador>IE</tipo_identificador><identificador>1234567890107</identificador>"
        "<tipo_arquivo>3</tipo_arquivo><versao_programa_gerador>7.07.10</versao_programa_gerador>"
        "<periodo_referencia><data_inicial>01/02/2016</data_inicial><data_final>29/02/2016</data_final>"
        "</periodo_referencia><substituicao><indicativo_substituicao>N</indicativo_substituicao>"
        "<protocolo_substituicao/></substituicao><protocolo><data>30/12/1899</data><hora>00:00</hora><numero/>"
        "</protocolo><complemento/>";
    const std::string depois =
        "</cabecalho><dados><contribuinte><ie_contribuinte>1234567890107</ie_contribuinte>"
        "<razao_social>  Caf\xE9 </razao_social></contribuinte><documento><ie>1234567890107</ie></documento>"
        "</dados></arquivo>\r\n";
    // O verificador é o último filho de cabecalho e cobre o arquivo inteiro sem ele
    const std::string hex = VerificadorDosBytes(antes + depois);
    EXPECT_EQ(b, antes + "<verificador_integridade>" + hex + "</verificador_integridade>" + depois);
    EXPECT_EQ(hex.size(), 40u);
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(VerificadorDosBytes("abc"), "A9993E364706816ABA3E25717850C26C9CD0D89D");  // FIPS 180-1
    EXPECT_EQ(CalcularVerificador(arq.string()), VerificadorDosBytes(b));
    // Datas com hora que não é meia-noite levam " hh:mm"
    EXPECT_EQ(TextoDataCabecalho({fb::Data{std::chrono::year{2017}, std::chrono::March, std::chrono::day{4}}, 9, 5, 7}),
              "04/03/2017 09:05");
    // Arquivo maior que um bloco de 1024 bytes: o cálculo em blocos dá o mesmo SHA-1
    const std::string grande(5000, 'x');
    teste::escreverArquivo(pasta.caminho() / "g.bin", grande);
    EXPECT_EQ(CalcularVerificador((pasta.caminho() / "g.bin").string()), VerificadorDosBytes(grande));
}

TEST(Verificador, ConferenciaPassaFalhaERegravaOArquivo) {
    teste::PastaTemporaria pasta;
    const fs::path arq = pasta.caminho() / "KOV.xml";
    InteracaoComLimpeza ui;
    MontarArquivoDeclaracao(arq.string(), cabecalho(), DADOS);
    const std::string escrito = teste::lerArquivo(arq);
    // Escrito e conferido passa; conferido de novo (depois que a conferência o regravou) também
    EXPECT_TRUE(ConferirVerificador(arq.string(), ui));
    EXPECT_EQ(teste::lerArquivo(arq), escrito);
    EXPECT_TRUE(ConferirVerificador(arq.string(), ui));
    ASSERT_EQ(ui.mensagens.size(), 2u);
    EXPECT_EQ(ui.mensagens[0].tipo, "status");
    EXPECT_EQ(ui.mensagens[0].texto, "Conferindo dados do arquivo " + arq.string());
    EXPECT_EQ(ui.limpezas, 2);

    struct Caso {
        const char* nome;
        std::function<void(const fs::path&)> alterar;
    };
    const Caso falham[] = {
        {"verificador em minúsculas",
         [](const fs::path& p) {
             std::string b = teste::lerArquivo(p);
             const auto i = b.find("<verificador_integridade>") + 25;
             for (size_t k = i; k < i + 40; ++k) b[k] = static_cast<char>(std::tolower(b[k]));
             teste::escreverArquivo(p, b);
         }},
        {"protocolo preenchido sem recalcular",
         [](const fs::path& p) {
             trocar(p, "<data>30/12/1899</data><hora>00:00</hora><numero/>",
                    "<data>15/03/2017</data><hora>10:20:30</hora><numero>20170000000000123</numero>");
         }},
        {"valor alterado", [](const fs::path& p) { trocar(p, "<ie>1234567890107</ie>", "<ie>1234567890108</ie>"); }},
    };
    for (const auto& c : falham) {
        MontarArquivoDeclaracao(arq.string(), cabecalho(), DADOS);
        c.alterar(arq);
        EXPECT_FALSE(ConferirVerificador(arq.string(), ui)) << c.nome;
    }
    // Um retorno sem verificador: guardado vazio, falha, e fica com o elemento vazio
    MontarArquivoDeclaracao(arq.string(), cabecalho(), DADOS);
    EXPECT_EQ(ExtrairVerificador(arq.string()).size(), 40u);
    EXPECT_EQ(teste::lerArquivo(arq).find("verificador_integridade"), std::string::npos);
    EXPECT_FALSE(ConferirVerificador(arq.string(), ui));
    EXPECT_NE(teste::lerArquivo(arq).find("<complemento/><verificador_integridade/></cabecalho>"), std::string::npos);
    // Recolocar o valor certo (o que um transmissor faz ao preencher o protocolo) volta a passar
    EXPECT_EQ(ExtrairVerificador(arq.string()), "");
    RecolocarVerificador(arq.string(), CalcularVerificador(arq.string()));
    EXPECT_TRUE(ConferirVerificador(arq.string(), ui));

    // Arquivo ausente, que não é XML, sem cabecalho: "Erro ao conferir o hash!" e a situação fica
    teste::escreverArquivo(pasta.caminho() / "lixo.xml", "isto não é XML");
    teste::escreverArquivo(pasta.caminho() / "sem.xml", "<?xml version=\"1.0\"?><arquivo><dados/></arquivo>");
    for (const char* nome : {"ausente.xml", "lixo.xml", "sem.xml"}) {
        ui.mensagens.clear();
        ui.limpezas = 0;
        try {
            ConferirVerificador((pasta.caminho() / nome).string(), ui);
            ADD_FAILURE() << nome;
        } catch (const ErroSistema& e) {
            EXPECT_STREQ(e.what(), "Erro ao conferir o hash!") << nome;
        }
        ASSERT_EQ(ui.mensagens.size(), 1u) << nome;
        EXPECT_EQ(ui.mensagens[0].tipo, "status");
        EXPECT_EQ(ui.limpezas, 0) << "a situação continua na tela";
    }
}

TEST(Verificador, TextosEscapadosVoltamIguaisEXmlMalFormadoNaoDeixaArquivo) {
    teste::PastaTemporaria pasta;
    const fs::path arq = pasta.caminho() / "KOV.xml";
    TInfCabecalho c = cabecalho();
    c.protocolo_numero = "A&B <x> \"y\"\rz";
    MontarArquivoDeclaracao(arq.string(), c, DADOS);
    const DocumentoXml doc = LerArquivoXml(arq.string());
    xmlNode* numero = FilhoElemento(FilhoElemento(FilhoElemento(doc.raiz(), "cabecalho"), "protocolo"), "numero");
    EXPECT_EQ(TextoElemento(numero), "A&B <x> \"y\"\rz");
    EXPECT_NE(teste::lerArquivo(arq).find("<numero>A&amp;B &lt;x&gt; \"y\"&#13;z</numero>"), std::string::npos);
    const std::string valido = teste::lerArquivo(arq);

    // Dados que não são XML bem formado: o erro da biblioteca, e o arquivo anterior intacto
    try {
        MontarArquivoDeclaracao(arq.string(), cabecalho(), "<contribuinte><a>x & y</a></contribuinte>");
        ADD_FAILURE();
    } catch (const ErroSistema& e) {
        EXPECT_NE(std::string(e.what()).find("xmlParseEntityRef"), std::string::npos) << e.what();
    }
    EXPECT_EQ(teste::lerArquivo(arq), valido);
    EXPECT_THROW(MontarArquivoDeclaracao((pasta.caminho() / "novo.xml").string(), cabecalho(), "<a>"), ErroSistema);
    EXPECT_FALSE(fs::exists(pasta.caminho() / "novo.xml"));
    // Pasta que não existe: falha sem deixar temporários
    EXPECT_THROW(MontarArquivoDeclaracao((pasta.caminho() / "nao" / "x.xml").string(), cabecalho(), DADOS), ErroSistema);
    size_t arquivos = 0;
    for (const auto& e : fs::directory_iterator(pasta.caminho())) arquivos += e.is_regular_file();
    EXPECT_EQ(arquivos, 1u);
}

TEST(Verificador, SerializacaoEstavelDeQualquerArvore) {
    // Textos só de brancos somem; CR, caracteres acima de 0xFF,
    // CDATA com "]]>", comentários e atributos de um retorno de outro programa: ler e
    // escrever de novo dá os mesmos bytes.
    const std::string entrada =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- retorno -->\n<arquivo>\n  <a x=\"1&amp;&lt;&quot;\">  "
        "</a>\n  <b>linha1\r\nlinha2&#13;&#8364;\xC3\xA9</b>\n  <c><![CDATA[x]]]]><![CDATA[>y\r\nz]]></c>\n"
        "  <d><![CDATA[]]></d><e></e>\n</arquivo>\n";
    const std::string s1 = SerializarDocumento(LerXml(entrada));
    EXPECT_EQ(s1,
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<!-- retorno -->\r\n<arquivo><a x=\"1&amp;&lt;&quot;\"/>"
              "<b>linha1\nlinha2&#13;&#8364;\xE9</b><c><![CDATA[x]]]]><![CDATA[>y\nz]]></c><d/><e/></arquivo>\r\n");
    EXPECT_EQ(SerializarDocumento(LerXml(s1)), s1);
}

TEST(Verificador, LeituraRecusaDtdEntidadesERede) {
    const std::string risada =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE arquivo [\n<!ENTITY a \"aaaaaaaaaa\">\n"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
        "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\n"
        "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">\n<!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">\n]>\n"
        "<arquivo><cabecalho>&i;</cabecalho></arquivo>";
    const std::string externa =
        "<?xml version=\"1.0\"?><!DOCTYPE arquivo [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><arquivo>&x;</arquivo>";
    const std::string dtdRede = "<?xml version=\"1.0\"?><!DOCTYPE arquivo SYSTEM \"http://127.0.0.1:9/x.dtd\"><arquivo/>";
    for (const auto& x : {risada, externa, dtdRede}) {
        try {
            LerXml(x);
            ADD_FAILURE() << x;
        } catch (const ErroSistema& e) {
            EXPECT_STREQ(e.what(), "Arquivo XML com declaração de tipo de documento (DTD) não é aceito.");
        }
    }
    // Uma entidade não declarada é erro, nunca texto vazio
    EXPECT_THROW(LerXml("<arquivo>&nada;</arquivo>"), ErroSistema);
    // A conferência de um arquivo assim falha com o seu texto, sem expandir nada
    teste::PastaTemporaria pasta;
    teste::escreverArquivo(pasta.caminho() / "r.xml", risada);
    teste::InteracaoGravada ui;
    EXPECT_THROW(ConferirVerificador((pasta.caminho() / "r.xml").string(), ui), ErroSistema);
    EXPECT_EQ(teste::lerArquivo(pasta.caminho() / "r.xml"), risada);
}
