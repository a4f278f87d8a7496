// Testes das rotinas auxiliares (untUtils).
#include "data/untUtils.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "apoio/BaseTeste.h"
#include "apoio/InteracaoGravada.h"
#include "data/ConfigApp.h"
#include "platform/Interacao.h"
#include "platform/ValidadorIE.h"

namespace fs = std::filesystem;
using namespace kov;
using kov::teste::escreverArquivo;
using kov::teste::InteracaoGravada;
using kov::teste::PastaTemporaria;

// ---- identidade -------------------------------------------------------------------------

TEST(UntUtils, VersaoETitulo) {
    TConfigApp c;
    EXPECT_EQ(VersaoSistema(c), "7.07.10");
    EXPECT_EQ(TituloSistema(c), "PRELO - Versão 7.07.10");
    c.Release = "b";
    EXPECT_EQ(VersaoSistema(c), "7.07.10b");
    EXPECT_EQ(TituloSistema(c), "PRELO - Versão 7.07.10b");
}

// ---- pastas -----------------------------------------------------------------------------

TEST(UntUtils, DiretorioAplicacaoEhAPastaDoExecutavel) {
    const std::string d = DiretorioAplicacao();
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(d.back(), '/');
    EXPECT_EQ(d.front(), '/');
    EXPECT_TRUE(fs::exists(d + "testes_data")) << d;
    EXPECT_EQ(DiretorioTempAplicacao(), d + "temp/");
}

TEST(UntUtils, DiretorioTempECriado) {
    const std::string t = DiretorioTemp();
    EXPECT_EQ(t, DiretorioAplicacao() + "temp/");
    EXPECT_TRUE(fs::is_directory(t));
    EXPECT_EQ(t, DiretorioTempAplicacao());  // mesma pasta, como no Windows
}

TEST(UntUtils, IncluirBarra) {
    EXPECT_EQ(IncluirBarra(""), "");
    EXPECT_EQ(IncluirBarra("/tmp"), "/tmp/");
    EXPECT_EQ(IncluirBarra("/tmp/"), "/tmp/");
    EXPECT_EQ(IncluirBarra("C:\\KOV\\"), "C:\\KOV\\");
    EXPECT_EQ(IncluirBarra("C:"), "C:/");
    EXPECT_EQ(IncluirBarra("pasta"), "pasta/");
}

namespace {

// Muda a pasta de trabalho e volta no destrutor.
struct PastaDeTrabalho {
    fs::path anterior;
    explicit PastaDeTrabalho(const fs::path& p) : anterior(fs::current_path()) { fs::current_path(p); }
    ~PastaDeTrabalho() { fs::current_path(anterior); }
};

}  // namespace

TEST(UntUtils, ApagarArquivosDiretorioApagaSoArquivosComuns) {
    PastaTemporaria tmp;
    const fs::path p = tmp.caminho() / "trabalho";
    fs::create_directories(p / "sub");
    escreverArquivo(p / "a.xml", "a");
    escreverArquivo(p / "b.txt", "b");
    escreverArquivo(p / "sem_extensao", "c");
    escreverArquivo(p / "Açúcar.dat", "d");
    escreverArquivo(p / ".oculto", "e");
    escreverArquivo(p / "sub" / "dentro.txt", "f");

    ApagarArquivosDiretorio(p.string());  // sem barra final

    EXPECT_FALSE(fs::exists(p / "a.xml"));
    EXPECT_FALSE(fs::exists(p / "b.txt"));
    EXPECT_FALSE(fs::exists(p / "sem_extensao"));
    EXPECT_FALSE(fs::exists(p / "Açúcar.dat"));
    EXPECT_TRUE(fs::exists(p / ".oculto"));
    EXPECT_TRUE(fs::is_directory(p / "sub"));
    EXPECT_TRUE(fs::exists(p / "sub" / "dentro.txt"));
    EXPECT_TRUE(fs::is_directory(p));  // a pasta fica
}

TEST(UntUtils, ApagarArquivosDiretorioComBarraFinalEPastaInexistente) {
    PastaTemporaria tmp;
    escreverArquivo(tmp.caminho() / "x.txt", "x");
    ApagarArquivosDiretorio(tmp.str() + "/");
    EXPECT_FALSE(fs::exists(tmp.caminho() / "x.txt"));
    EXPECT_NO_THROW(ApagarArquivosDiretorio(tmp.str() + "/nao-existe"));
}

TEST(UntUtils, ApagarArquivosDiretorioComBarrasInvertidas) {
    PastaTemporaria tmp;
    fs::create_directories(tmp.caminho() / "a" / "b");
    escreverArquivo(tmp.caminho() / "a" / "b" / "x.txt", "x");
    std::string invertida = (tmp.caminho() / "a" / "b").string();
    for (auto& ch : invertida)
        if (ch == '/') ch = '\\';
    // "\tmp\kov-teste-...\a\b" — as barras invertidas valem como separador
    ApagarArquivosDiretorio(invertida);
    EXPECT_FALSE(fs::exists(tmp.caminho() / "a" / "b" / "x.txt"));
}

// Raiz de unidade: nada é apagado. Para não arriscar a raiz verdadeira, os argumentos
// relativos "C:", "C:\", "C:/", "" e "ab" são apontados para uma pasta de trabalho
// temporária onde existe uma pasta "C:" (e "ab") com arquivos: se a regra dos 3
// caracteres falhasse, eles seriam apagados.
TEST(UntUtils, ApagarArquivosDiretorioNaoApagaNaRaiz) {
    PastaTemporaria tmp;
    fs::create_directories(tmp.caminho() / "C:");
    fs::create_directories(tmp.caminho() / "ab");
    escreverArquivo(tmp.caminho() / "C:" / "x.txt", "x");
    escreverArquivo(tmp.caminho() / "ab" / "y.txt", "y");
    escreverArquivo(tmp.caminho() / "z.txt", "z");
    {
        PastaDeTrabalho cwd(tmp.caminho());
        ApagarArquivosDiretorio("C:");
        ApagarArquivosDiretorio("C:\\");
        ApagarArquivosDiretorio("C:/");
        ApagarArquivosDiretorio("ab");   // "ab/": 3 caracteres, tratado como raiz
        ApagarArquivosDiretorio("");     // vira "/": raiz
        ApagarArquivosDiretorio("./");   // 2 caracteres
        // controle: "C:/." tem mais de 3 caracteres e apaga (prova que a pasta era apagável)
        EXPECT_TRUE(fs::exists(tmp.caminho() / "C:" / "x.txt"));
        EXPECT_TRUE(fs::exists(tmp.caminho() / "ab" / "y.txt"));
        EXPECT_TRUE(fs::exists(tmp.caminho() / "z.txt"));
        ApagarArquivosDiretorio("C:/.");
    }
    EXPECT_FALSE(fs::exists(tmp.caminho() / "C:" / "x.txt"));
    EXPECT_TRUE(fs::exists(tmp.caminho() / "ab" / "y.txt"));
    EXPECT_TRUE(fs::exists(tmp.caminho() / "z.txt"));
}

// ---- LerIni -----------------------------------------------------------------------------

TEST(UntUtils, LerIniArquivoInexistente) {
    PastaTemporaria tmp;
    try {
        LerIni(tmp.str() + "/KOV.ini", "KOV", "Database");
        FAIL() << "devia lançar";
    } catch (const ErroSistema& e) {
        EXPECT_STREQ(e.what(), "Arquivo INI não encontrado!");
    }
    // uma pasta não é arquivo INI
    EXPECT_THROW(LerIni(tmp.str(), "KOV", "Database"), ErroSistema);
    EXPECT_THROW(LerIni("", "KOV", "Database"), ErroSistema);
}

TEST(UntUtils, LerIniSecoesEChaves) {
    PastaTemporaria tmp;
    const fs::path ini = tmp.caminho() / "KOV.ini";
    escreverArquivo(ini,
                    "\xEF\xBB\xBF; configuração do KOV\r\n"
                    "[KOV]\r\n"
                    "Database = ..\\BD\\KOV.GDB  \r\n"
                    "# comentário\r\n"
                    "Vazia=\r\n"
                    "Aspas=\"  com brancos  \"\r\n"
                    "ComPontoEVirgula=a;b#c\r\n"
                    "\r\n"
                    "[ ENVIAX ]\r\n"
                    "caminho=/opt/enviax\r\n"
                    "Database=outra\r\n");
    EXPECT_EQ(LerIni(ini.string(), "KOV", "Database"), "..\\BD\\KOV.GDB");
    EXPECT_EQ(LerIni(ini.string(), "kov", "DATABASE"), "..\\BD\\KOV.GDB");  // sem distinção de caixa
    EXPECT_EQ(LerIni(ini.string(), "ENVIAX", "Caminho"), "/opt/enviax");
    EXPECT_EQ(LerIni(ini.string(), "enviax", "database"), "outra");
    EXPECT_EQ(LerIni(ini.string(), "KOV", "Vazia"), "");
    EXPECT_EQ(LerIni(ini.string(), "KOV", "Aspas"), "  com brancos  ");
    EXPECT_EQ(LerIni(ini.string(), "KOV", "ComPontoEVirgula"), "a;b#c");
    EXPECT_EQ(LerIni(ini.string(), "KOV", "NaoExiste"), "");       // chave ausente
    EXPECT_EQ(LerIni(ini.string(), "NaoExiste", "Database"), "");   // seção ausente
    EXPECT_EQ(LerIni(ini.string(), "KOV", "caminho"), "");          // chave de outra seção
}

TEST(UntUtils, LerIniSemCRLFESemBOM) {
    PastaTemporaria tmp;
    const fs::path ini = tmp.caminho() / "a.ini";
    escreverArquivo(ini, "[KOV]\nDatabase=../BD/KOV.GDB");  // última linha sem fim de linha
    EXPECT_EQ(LerIni(ini.string(), "KOV", "Database"), "../BD/KOV.GDB");
    escreverArquivo(ini, "");
    EXPECT_EQ(LerIni(ini.string(), "KOV", "Database"), "");  // arquivo vazio: chave ausente
}

TEST(UntUtils, LerIniCaminhoComBarrasInvertidas) {
    PastaTemporaria tmp;
    fs::create_directories(tmp.caminho() / "EXE");
    escreverArquivo(tmp.caminho() / "EXE" / "KOV.ini", "[KOV]\r\nDatabase=..\\BD\\KOV.GDB\r\n");
    std::string invertido = (tmp.caminho() / "EXE" / "KOV.ini").string();
    for (auto& ch : invertido)
        if (ch == '/') ch = '\\';
    EXPECT_EQ(LerIni(invertido, "KOV", "Database"), "..\\BD\\KOV.GDB");
    EXPECT_EQ(LerIni(tmp.str() + "\\EXE\\KOV.ini", "KOV", "Database"), "..\\BD\\KOV.GDB");
}

// Um KOV.ini salvo com a marca UTF-8 (como o Bloco de Notas grava): a primeira seção é lida
// e também encontrada na gravação, que troca a chave dela e mantém a marca.
TEST(UntUtils, EscreverIniNaPrimeiraSecaoDeArquivoComBOM) {
    PastaTemporaria tmp;
    const std::string ini = (tmp.caminho() / "KOV.ini").string();
    escreverArquivo(ini, "\xEF\xBB\xBF[ENVIAX]\r\nCaminho=/antigo\r\n[KOV]\r\nDatabase=x\r\n");
    EscreverIni(ini, "ENVIAX", "Caminho", "\"/novo/\"");
    EXPECT_EQ(LerIni(ini, "ENVIAX", "Caminho"), "/novo/");
    EXPECT_EQ(LerIni(ini, "KOV", "Database"), "x");
    EXPECT_EQ(teste::lerArquivo(ini), "\xEF\xBB\xBF[ENVIAX]\r\nCaminho=\"/novo/\"\r\n[KOV]\r\nDatabase=x\r\n");
}

// ---- inscrição estadual -----------------------------------------------------------------

TEST(UntUtils, ConsisteIEValidasEInvalidas) {
    InteracaoGravada ui;
    for (const char* ie : {"1234567890107", "0010000000172", "9876543210979"})
        EXPECT_TRUE(ConsisteIE(ie, "QZ", &ui)) << ie;
    for (const char* ie : {"1234567890108", "1234567890117", "123.456789.0107", "", "123456789010"})
        EXPECT_FALSE(ConsisteIE(ie, "QZ", &ui)) << ie;
    EXPECT_FALSE(ConsisteIE("1234567890107", "SP", &ui));  // outro estado
    EXPECT_FALSE(ConsisteIE("1234567890107", "", &ui));
    EXPECT_TRUE(ui.mensagens.empty());  // resultado não zero: sem mensagem (quem chama avisa)
    EXPECT_TRUE(ConsisteIE("1234567890107", "QZ"));  // sem interface
}

namespace {
int validadorSemDll(const std::string&, const std::string&) { throw ErroSistema("Dll não carregada"); }
int validadorZero(const std::string&, const std::string&) { return 0; }

struct TrocaValidador {
    FuncaoValidadorIE anterior;
    explicit TrocaValidador(FuncaoValidadorIE f) : anterior(DefinirValidadorIE(f)) {}
    ~TrocaValidador() { DefinirValidadorIE(anterior); }
};
}  // namespace

TEST(UntUtils, ConsisteIEFalhaDoValidadorMostraAviso) {
    TrocaValidador troca(&validadorSemDll);
    InteracaoGravada ui;
    EXPECT_FALSE(ConsisteIE("1234567890107", "QZ", &ui));
    ASSERT_EQ(ui.mensagens.size(), 1u);
    EXPECT_EQ(ui.mensagens[0].tipo, "aviso");
    EXPECT_EQ(ui.mensagens[0].titulo, "Aviso");
    EXPECT_EQ(ui.mensagens[0].texto, "Dll não carregada\nContacte o suporte da DRU!");
    EXPECT_FALSE(ConsisteIE("1234567890107", "QZ", nullptr));  // sem interface: só falso
}

TEST(UntUtils, ConsisteIEUsaOValidadorLigado) {
    {
        TrocaValidador troca(&validadorZero);
        EXPECT_TRUE(ConsisteIE("qualquer", "XX"));
    }
    EXPECT_FALSE(ConsisteIE("qualquer", "XX"));  // padrão restaurado
}

TEST(UntUtils, FormatarIE) {
    EXPECT_EQ(FormatarIE("1234567890107"), "123.456789.0107");
    EXPECT_EQ(FormatarIE("0010000000172"), "001.000000.0172");
    EXPECT_EQ(FormatarIE("123456789010"), "123456789010");      // 12: como está
    EXPECT_EQ(FormatarIE("12345678901070"), "12345678901070");  // 14: como está
    EXPECT_EQ(FormatarIE(""), "");
}

// ---- preenchimento ----------------------------------------------------------------------

TEST(UntUtils, CompletarDireita) {
    EXPECT_EQ(CompletarDireita("abc", " ", 2), "ab");  // corta, sem preenchimento
    EXPECT_EQ(CompletarDireita("abc", " ", 3), "abc");  // largura igual: inalterado
    EXPECT_EQ(CompletarDireita("abc", " ", 6), "abc   ");
    EXPECT_EQ(CompletarDireita("abc", "*", 5), "abc**");
    EXPECT_EQ(CompletarDireita("", " ", 3), "   ");
    EXPECT_EQ(CompletarDireita("abc", " ", 0), "");
    EXPECT_EQ(CompletarDireita("abc", " ", -1), "");
    EXPECT_EQ(CompletarDireita("abc", "", 10), "abc");  // preenchimento vazio: sem laço infinito
    EXPECT_EQ(CompletarDireita("a", "xy", 4), "axyx");  // nunca passa da largura
}

TEST(UntUtils, CompletarEsquerda) {
    EXPECT_EQ(CompletarEsquerda("7", "0", 3), "007");
    EXPECT_EQ(CompletarEsquerda("12", "0", 2), "12");
    EXPECT_EQ(CompletarEsquerda("123", "0", 2), "12");  // mesmo corte: os primeiros caracteres
    EXPECT_EQ(CompletarEsquerda("1.234", " ", 8), "   1.234");
    EXPECT_EQ(CompletarEsquerda("7", "", 3), "7");
    EXPECT_EQ(CompletarEsquerda("7", "ab", 4), "aba7");
}

TEST(UntUtils, CompletarContaCaracteresNaoBytes) {
    // "Período" tem 7 caracteres e 8 bytes
    EXPECT_EQ(CompletarDireita("Período", " ", 9), "Período  ");
    EXPECT_EQ(CompletarEsquerda("Período", ".", 9), "..Período");
    EXPECT_EQ(CompletarDireita("Inscrição Estadual: ", " ", 30), "Inscrição Estadual:           ");
    // o corte nunca parte um caractere de vários bytes
    EXPECT_EQ(CompletarDireita("Março", " ", 3), "Mar");
    EXPECT_EQ(CompletarDireita("Março", " ", 4), "Març");
    EXPECT_EQ(CompletarDireita("ção", " ", 1), "ç");
    EXPECT_EQ(CompletarDireita("a", "ç", 3), "açç");
    EXPECT_EQ(CompletarEsquerda("x", "é", 2), "éx");
}

// ---- datas ------------------------------------------------------------------------------

TEST(UntUtils, AnoEMesDaData) {
    using namespace std::chrono;
    const year_month_day d{year{2024}, month{2}, day{29}};
    EXPECT_EQ(AnoDaData(d), 2024);
    EXPECT_EQ(MesDaData(d), 2);
}

TEST(UntUtils, UltimoDiaMes) {
    EXPECT_EQ(UltimoDiaMes(2, 2024), 29);
    EXPECT_EQ(UltimoDiaMes(2, 2023), 28);
    EXPECT_EQ(UltimoDiaMes(2, 2100), 28);  // múltiplo de 100 que não é de 400
    EXPECT_EQ(UltimoDiaMes(2, 2000), 29);
    EXPECT_EQ(UltimoDiaMes(1, 2023), 31);
    EXPECT_EQ(UltimoDiaMes(4, 2023), 30);
    EXPECT_EQ(UltimoDiaMes(12, 2023), 31);
    EXPECT_THROW(UltimoDiaMes(13, 2023), std::invalid_argument);
    EXPECT_THROW(UltimoDiaMes(0, 2023), std::invalid_argument);
}

TEST(UntUtils, SoNumeros) {
    EXPECT_TRUE(SoNumeros("0123456789"));
    EXPECT_FALSE(SoNumeros(""));
    EXPECT_FALSE(SoNumeros("12 3"));
    EXPECT_FALSE(SoNumeros("12.3"));
    EXPECT_FALSE(SoNumeros("-1"));
    EXPECT_FALSE(SoNumeros("١٢"));  // algarismos arábicos orientais não são 0..9
}

TEST(UntUtils, DataValida) {
    EXPECT_TRUE(DataValida("02/01/1950"));
    EXPECT_FALSE(DataValida("01/01/1950"));  // não é posterior a 01/01/1950
    EXPECT_FALSE(DataValida("31/12/1949"));
    EXPECT_FALSE(DataValida("31/02/2024"));  // não é data do calendário
    EXPECT_TRUE(DataValida("29/02/2024"));
    EXPECT_FALSE(DataValida("29/02/2023"));
    EXPECT_FALSE(DataValida("29/02/2100"));
    EXPECT_TRUE(DataValida("31/12/2023"));
    EXPECT_FALSE(DataValida("31/04/2023"));
    EXPECT_FALSE(DataValida("00/01/2023"));
    EXPECT_FALSE(DataValida("32/01/2023"));
    EXPECT_FALSE(DataValida("10/00/2023"));
    EXPECT_FALSE(DataValida("10/13/2023"));
    EXPECT_FALSE(DataValida("1/01/2023"));     // 9 caracteres
    EXPECT_FALSE(DataValida("01/01/20233"));   // 11 caracteres
    EXPECT_FALSE(DataValida("01-01-2023"));
    EXPECT_FALSE(DataValida("01/1a/2023"));
    EXPECT_FALSE(DataValida(" 1/01/2023"));
    EXPECT_FALSE(DataValida("  /  /    "));
    EXPECT_FALSE(DataValida(""));
    EXPECT_TRUE(DataValida("31/12/9999"));
}

TEST(UntUtils, HoraValida) {
    EXPECT_TRUE(HoraValida("00:00:00"));
    EXPECT_TRUE(HoraValida("23:59:59"));
    EXPECT_TRUE(HoraValida("24:00:00"));   // hora 24 com minutos e segundos zero
    EXPECT_FALSE(HoraValida("24:30:00"));  // decisão documentada: 24 só como 24:00:00
    EXPECT_FALSE(HoraValida("24:00:01"));
    EXPECT_FALSE(HoraValida("25:00:00"));
    EXPECT_FALSE(HoraValida("12:60:00"));  // minuto 60
    EXPECT_FALSE(HoraValida("12:00:60"));
    EXPECT_FALSE(HoraValida("1:00:00"));
    EXPECT_FALSE(HoraValida("12:00:000"));
    EXPECT_FALSE(HoraValida("12.00.00"));
    EXPECT_FALSE(HoraValida("1a:00:00"));
    EXPECT_FALSE(HoraValida(""));
}

TEST(UntUtils, NomeMes) {
    EXPECT_EQ(NomeMes(1), "Janeiro");
    EXPECT_EQ(NomeMes(2), "Fevereiro");
    EXPECT_EQ(NomeMes(3), "Março");
    EXPECT_EQ(NomeMes(6), "Junho");
    EXPECT_EQ(NomeMes(12), "Dezembro");
    EXPECT_EQ(NomeMes(0), "");
    EXPECT_EQ(NomeMes(13), "");
    EXPECT_EQ(NomeMes(-1), "");
}

// ---- XML --------------------------------------------------------------------------------

namespace {

struct Documento {
    xmlDoc* doc;
    Documento(const std::string& xml, int opcoes = 0)
        : doc(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "teste.xml", nullptr, opcoes)) {}
    ~Documento() { xmlFreeDoc(doc); }
    xmlNode* raiz() const { return xmlDocGetRootElement(doc); }
};

std::string nomeDe(xmlNode* n) { return n ? reinterpret_cast<const char*>(n->name) : "(nenhum)"; }
std::string textoDe(xmlNode* n) {
    if (!n) return "(nenhum)";
    xmlChar* c = xmlNodeGetContent(n);
    std::string s = c ? reinterpret_cast<const char*>(c) : "";
    xmlFree(c);
    return s;
}

}  // namespace

TEST(UntUtils, ProcurarNoFilhoDireto) {
    Documento d("<raiz><a>1</a><alvo>direto</alvo><b><alvo>fundo</alvo></b></raiz>");
    ASSERT_NE(d.doc, nullptr);
    EXPECT_EQ(textoDe(ProcurarNo("alvo", d.raiz())), "direto");
    EXPECT_EQ(TextoNo("alvo", d.raiz()), "direto");
    EXPECT_EQ(ProcurarNo("nada", d.raiz()), nullptr);
    EXPECT_EQ(TextoNo("nada", d.raiz()), "");
    EXPECT_EQ(ProcurarNo("alvo", nullptr), nullptr);
}

TEST(UntUtils, ProcurarNoPulaOPrimeiroFilhoNaBuscaEmProfundidade) {
    // Sem brancos entre os elementos: o primeiro filho de cada nó é um elemento e não é
    // revisitado na busca em profundidade (regra da tabela, literal).
    Documento d("<raiz><a><alvo>no primeiro</alvo></a><b><x/><alvo>no segundo</alvo></b></raiz>");
    EXPECT_EQ(TextoNo("alvo", d.raiz()), "no segundo");

    Documento so("<raiz><a><alvo>no primeiro</alvo></a></raiz>");
    EXPECT_EQ(ProcurarNo("alvo", so.raiz()), nullptr);  // só debaixo do primeiro filho: não acha

    // Dentro do segundo filho, o alvo está sob o primeiro neto: também não é achado.
    Documento neto("<raiz><a/><b><c><alvo>neto</alvo></c></b></raiz>");
    EXPECT_EQ(ProcurarNo("alvo", neto.raiz()), nullptr);

    // O primeiro achado em profundidade, na ordem dos filhos.
    Documento ordem("<raiz><a/><b><x/><y><z/><alvo>1</alvo></y></b><c><alvo>2</alvo></c></raiz>");
    EXPECT_EQ(TextoNo("alvo", ordem.raiz()), "1");

    // Nó sem filhos: nenhum.
    Documento vazio("<raiz/>");
    EXPECT_EQ(ProcurarNo("raiz", vazio.raiz()), nullptr);
}

TEST(UntUtils, ProcurarNoEmDocumentoIndentado) {
    // Arquivo com indentação: o primeiro filho de cada elemento é texto em branco, e
    // a busca alcança os elementos aninhados.
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
        "<declaracao>\n"
        "  <cabecalho>\n"
        "    <identificador>KOV</identificador>\n"
        "    <protocolo>\n"
        "      <numero>12345678901234567</numero>\n"
        "      <data>15/03/2024</data>\n"
        "      <hora>10:20:30</hora>\n"
        "    </protocolo>\n"
        "  </cabecalho>\n"
        "  <dados>\n"
        "    <documento><razao>Padaria P\xE3o Quente</razao></documento>\n"
        "  </dados>\n"
        "</declaracao>\n";
    Documento d(xml);
    ASSERT_NE(d.doc, nullptr);
    xmlNode* raiz = d.raiz();
    EXPECT_EQ(nomeDe(ProcurarNo("dados", raiz)), "dados");
    EXPECT_EQ(TextoNo("identificador", raiz), "KOV");
    xmlNode* protocolo = ProcurarNo("protocolo", raiz);
    ASSERT_NE(protocolo, nullptr);
    EXPECT_EQ(TextoNo("numero", protocolo), "12345678901234567");
    EXPECT_EQ(TextoNo("data", protocolo), "15/03/2024");
    EXPECT_EQ(TextoNo("hora", protocolo), "10:20:30");
    EXPECT_EQ(TextoNo("razao", raiz), "Padaria Pão Quente");  // ISO-8859-1 convertido para UTF-8
    // a partir do próprio documento
    EXPECT_EQ(nomeDe(ProcurarNo("declaracao", reinterpret_cast<xmlNode*>(d.doc))), "declaracao");
}

TEST(UntUtils, TextoNoElementoVazioECDATA) {
    Documento d("<raiz><a/><vazio></vazio><cd><![CDATA[x<y]]></cd></raiz>");
    EXPECT_EQ(TextoNo("vazio", d.raiz()), "");
    EXPECT_EQ(TextoNo("cd", d.raiz()), "x<y");
    EXPECT_EQ(nomeDe(ProcurarNo("vazio", d.raiz())), "vazio");
}

TEST(UntUtils, TextoNoUsaOIrmaoTextoQuandoALeituraFalha) {
    // <protocolo> tem elementos dentro: ler seu texto falha; vale o irmão "#text" seguinte.
    Documento d("<raiz><a/><protocolo><numero>1</numero></protocolo>depois</raiz>");
    EXPECT_EQ(TextoNo("protocolo", d.raiz()), "depois");
    // Irmão seguinte que não é texto: vazio.
    Documento e("<raiz><a/><protocolo><numero>1</numero></protocolo><b/></raiz>");
    EXPECT_EQ(TextoNo("protocolo", e.raiz()), "");
    // Sem irmão seguinte: vazio.
    Documento f("<raiz><a/><protocolo><numero>1</numero></protocolo></raiz>");
    EXPECT_EQ(TextoNo("protocolo", f.raiz()), "");
    // Texto misturado com elementos também falha (não é um elemento de texto).
    Documento g("<raiz><a/><m>x<i/>y</m>z</raiz>");
    EXPECT_EQ(TextoNo("m", g.raiz()), "z");
}

TEST(UntUtils, ProcurarNoComPrefixoDeEspacoDeNomes) {
    Documento d("<raiz xmlns:p=\"urn:x\"><a/><p:alvo>com prefixo</p:alvo></raiz>");
    EXPECT_EQ(TextoNo("p:alvo", d.raiz()), "com prefixo");
    EXPECT_EQ(ProcurarNo("alvo", d.raiz()), nullptr);
}
