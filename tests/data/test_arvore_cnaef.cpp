// Árvore CNAE-F do seletor de atividade econômica e a busca de municípios pelo nome.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "apoio/BaseTeste.h"
#include "apoio/InteracaoGravada.h"
#include "data/ArvoreCnaef.h"
#include "data/dmPrincipal.h"

using namespace kov;

namespace {

LinhaCNAEF linha(const std::string& codigo, const std::string& desmembramento, const std::string& descricao) {
    LinhaCNAEF l;
    l.CNAEF_ID = codigo;
    l.DESMEMBRAMENTO = desmembramento;
    l.DESCRICAO = descricao;
    return l;
}

// Índice do nó de um código e desmembramento; falha o teste se não existe.
int indiceDe(const ArvoreCnaef& a, const std::string& codigo, const std::string& desmembramento = "00") {
    for (size_t i = 0; i < a.nos.size(); ++i)
        if (a.nos[i].codigo == codigo && a.nos[i].desmembramento == desmembramento) return static_cast<int>(i);
    ADD_FAILURE() << "nó ausente: " << codigo << " " << desmembramento;
    return -1;
}

// Código do pai de um nó ("" no primeiro nível).
std::string codigoDoPai(const ArvoreCnaef& a, const std::string& codigo, const std::string& desmembramento = "00") {
    const int i = indiceDe(a, codigo, desmembramento);
    if (i < 0) return "?";
    const int p = a.nos[i].pai;
    return p < 0 ? "" : a.nos[p].codigo;
}

std::vector<LinhaMunicipio> municipios(std::initializer_list<const char*> nomes) {
    std::vector<LinhaMunicipio> v;
    int cod = 100;
    for (const char* n : nomes) v.push_back({cod++, 0, n});
    return v;
}

}  // namespace

TEST(ArvoreCnaef, TextoDosNosPeloTamanhoDoCodigo) {
    EXPECT_EQ(FormatarCodigoCnaef("47"), "47");
    EXPECT_EQ(FormatarCodigoCnaef("471"), "471");
    EXPECT_EQ(FormatarCodigoCnaef("47113"), "4711-3");
    EXPECT_EQ(FormatarCodigoCnaef("4711301"), "4711-3/01");
    EXPECT_EQ(CodigoCnaefSemBrancos(" 47 11 301 "), "4711301");

    EXPECT_EQ(TextoNoCnaef("47", "00", "Comércio varejista"), "47 - Comércio varejista");
    EXPECT_EQ(TextoNoCnaef("471", "00", "Comércio varejista não-especializado"),
              "471 - Comércio varejista não-especializado");
    EXPECT_EQ(TextoNoCnaef("47113", "00", "  Hipermercados e supermercados \t"), "4711-3 - Hipermercados e supermercados");
    EXPECT_EQ(TextoNoCnaef("4711301", "00", " Hipermercados "), "4711-3/01 - Hipermercados");
    // Desmembramento: a marca entre colchetes, dois brancos de cada lado, antes do " - "
    EXPECT_EQ(TextoNoCnaef("4711302", "01", "Supermercados com área de venda de até 1.000 metros quadrados"),
              "4711-3/02  [ 01 ]   - Supermercados com área de venda de até 1.000 metros quadrados");
    EXPECT_EQ(TextoNoCnaef("4711302", "00", ""), "4711-3/02 - ");
}

TEST(ArvoreCnaef, NiveisPeloTamanhoDoCodigoNaOrdemDeLeitura) {
    const auto a = MontarArvoreCnaef({
        linha("47", "00", "Comércio varejista"),
        linha("471", "00", "Não especializado"),
        linha("47113", "00", "Hipermercados e supermercados"),
        linha("4711301", "00", "Hipermercados"),
        linha("4711302", "00", "Supermercados"),
        linha("4711302", "01", "Até 1.000 m2"),
        linha("4711302", "02", "Acima de 1.000 m2"),
        linha("4711", "00", "Código de 4 dígitos: fica de fora"),
        linha("471130", "00", "Código de 6 dígitos: fica de fora"),
        linha("47113011", "00", "Código de 8 dígitos: fica de fora"),
        linha("47121", "00", "Minimercados"),
        linha("47 12 100", "00", "Minimercados, com brancos no código"),
        linha("49", "00", "Transporte terrestre"),
        linha("493", "00", "Carga"),
    });
    ASSERT_EQ(a.nos.size(), 11u);
    ASSERT_EQ(a.raizes.size(), 2u);
    EXPECT_EQ(a.nos[a.raizes[0]].texto, "47 - Comércio varejista");
    EXPECT_EQ(a.nos[a.raizes[1]].texto, "49 - Transporte terrestre");

    EXPECT_EQ(codigoDoPai(a, "471"), "47");
    EXPECT_EQ(codigoDoPai(a, "47113"), "471");
    EXPECT_EQ(codigoDoPai(a, "4711301"), "47113");
    EXPECT_EQ(codigoDoPai(a, "4711302"), "47113");
    EXPECT_EQ(codigoDoPai(a, "4711302", "01"), "4711302");
    EXPECT_EQ(codigoDoPai(a, "4711302", "02"), "4711302");
    EXPECT_EQ(codigoDoPai(a, "47121"), "471");
    EXPECT_EQ(codigoDoPai(a, "4712100"), "47121");
    EXPECT_EQ(codigoDoPai(a, "493"), "49");
    EXPECT_EQ(a.nos[indiceDe(a, "4712100")].texto, "4712-1/00 - Minimercados, com brancos no código");

    // Filhos na ordem de leitura
    const auto& subclasse = a.nos[indiceDe(a, "4711302")];
    ASSERT_EQ(subclasse.filhos.size(), 2u);
    EXPECT_EQ(a.nos[subclasse.filhos[0]].desmembramento, "01");
    EXPECT_EQ(a.nos[subclasse.filhos[1]].desmembramento, "02");
    EXPECT_EQ(a.nos[indiceDe(a, "4711302", "01")].nivel, NivelCnaef::Desmembramento);
    EXPECT_EQ(subclasse.nivel, NivelCnaef::Subclasse);

    // Só folhas de 7 dígitos podem ser escolhidas: grupo e classe não; subclasse com
    // desmembramentos também não; subclasse sem desmembramentos e desmembramento sim.
    EXPECT_FALSE(a.nos[indiceDe(a, "471")].confirmavel());
    EXPECT_FALSE(a.nos[indiceDe(a, "47113")].confirmavel());
    EXPECT_FALSE(subclasse.confirmavel());
    EXPECT_TRUE(a.nos[indiceDe(a, "4711301")].confirmavel());
    EXPECT_TRUE(a.nos[indiceDe(a, "4711302", "01")].confirmavel());
    // Um grupo sem classes é folha, mas o seu texto não dá um código: não se escolhe.
    EXPECT_TRUE(a.nos[indiceDe(a, "493")].folha());
    EXPECT_FALSE(a.nos[indiceDe(a, "493")].confirmavel());
}

TEST(ArvoreCnaef, NivelDeCimaAusenteNaoQuebraNemPoeONoEmOutroRamo) {
    const auto a = MontarArvoreCnaef({
        linha("0111301", "01", "Desmembramento antes de qualquer subclasse"),
        linha("011", "00", "Grupo antes de qualquer divisão"),
        linha("01113", "00", "Classe"),
        linha("0111301", "00", "Subclasse"),
        linha("15", "00", "Divisão"),
        linha("151", "00", "Grupo"),
        linha("15113", "00", "Classe"),
        linha("1511301", "00", "Subclasse"),
        linha("15121", "00", "Classe sem subclasse própria"),
        linha("1512101", "01", "Desmembramento de subclasse ausente"),
        linha("15415", "00", "Classe cujo grupo 154 falta"),
        linha("1541500", "00", "Subclasse"),
        linha("20", "00", "Outra divisão"),
        linha("20109", "00", "Classe cujo grupo 201 falta: não vai para o grupo 151"),
        linha("2010901", "00", "Subclasse"),
        linha("211", "00", "Grupo cuja divisão 21 falta: não vai para a divisão 20"),
        linha("2111111", "00", "Subclasse cuja classe falta: fica no grupo"),
        linha("2111111", "01", "Desmembramento"),
    });
    ASSERT_EQ(a.nos.size(), 18u);
    // Sem nenhum nó de cima: primeiro nível
    EXPECT_EQ(codigoDoPai(a, "0111301", "01"), "");
    EXPECT_EQ(codigoDoPai(a, "011"), "");
    EXPECT_EQ(codigoDoPai(a, "01113"), "011");
    EXPECT_EQ(codigoDoPai(a, "0111301"), "01113");
    // O desmembramento cuja subclasse falta fica na sua classe, não na subclasse anterior
    EXPECT_EQ(codigoDoPai(a, "1512101", "01"), "15121");
    // A classe sem o seu grupo fica na divisão
    EXPECT_EQ(codigoDoPai(a, "15415"), "15");
    EXPECT_EQ(codigoDoPai(a, "1541500"), "15415");
    EXPECT_EQ(codigoDoPai(a, "20109"), "20");
    EXPECT_EQ(codigoDoPai(a, "2010901"), "20109");
    EXPECT_EQ(codigoDoPai(a, "211"), "");
    EXPECT_EQ(codigoDoPai(a, "2111111"), "211");
    EXPECT_EQ(codigoDoPai(a, "2111111", "01"), "2111111");
    // Em toda a árvore o código do pai começa o do filho
    for (const auto& no : a.nos) {
        if (no.pai >= 0) {
            EXPECT_EQ(no.codigo.rfind(a.nos[no.pai].codigo, 0), 0u) << no.texto;
        }
    }

    EXPECT_TRUE(MontarArvoreCnaef({}).nos.empty());
}

TEST(ArvoreCnaef, CodigoEDesmembramentoLidosDoTextoDoNo) {
    EXPECT_EQ(CodigoDoTextoCnaef("4711-3/01 - Hipermercados"), "4711301");
    EXPECT_EQ(DesmembramentoDoTextoCnaef("4711-3/01 - Hipermercados"), "00");
    const std::string desm = TextoNoCnaef("4711302", "02", "Acima de 1.000 m2");
    EXPECT_EQ(CodigoDoTextoCnaef(desm), "4711302");
    EXPECT_EQ(DesmembramentoDoTextoCnaef(desm), "02");
    EXPECT_EQ(DesmembramentoDoTextoCnaef(TextoNoCnaef("4711302", "17", "x")), "17");
    // Um colchete na descrição não é desmembramento
    const std::string comColchete = TextoNoCnaef("4711301", "00", "Hipermercados [área acima de 5.000 m2]");
    EXPECT_EQ(DesmembramentoDoTextoCnaef(comColchete), "00");
    EXPECT_EQ(CodigoDoTextoCnaef(comColchete), "4711301");
    EXPECT_EQ(DesmembramentoDoTextoCnaef(TextoNoCnaef("4711302", "03", "Com [colchete]")), "03");
    // Texto curto demais não tem código
    EXPECT_EQ(CodigoDoTextoCnaef("47 - Co"), "");
    EXPECT_EQ(CodigoDoTextoCnaef(""), "");
    EXPECT_EQ(DesmembramentoDoTextoCnaef(""), "00");
    EXPECT_EQ(DesmembramentoDoTextoCnaef("4711-3/02  [ "), "00");
}

TEST(ArvoreCnaef, TabelaDaBaseNosDoisAnosBase) {
    teste::InstalacaoTeste inst;
    inst.escreverIni(teste::iniDaSuite(inst));
    teste::InteracaoGravada ui;
    Tdm dm(ui, inst.exe.string());
    dm.DataModuleCreate();
    ASSERT_TRUE(dm.conectado());

    std::map<std::string, ArvoreCnaef> porAno;
    for (const char* ano : {"2005", "2016"}) {
        dm.GravarParametro("ANOEXERCICIO", ano);
        porAno[ano] = MontarArvoreCnaef(dm.CNAEFDoAnoBase());
        const auto& a = porAno[ano];
        ASSERT_FALSE(a.nos.empty()) << ano;
        for (const auto& no : a.nos) {
            // Tabela completa: só divisões no primeiro nível, cada nó sob o seu ancestral,
            // toda folha escolhível e o texto devolve o código e o desmembramento do nó.
            if (no.pai < 0) {
                EXPECT_EQ(no.nivel, NivelCnaef::Divisao) << ano << " " << no.texto;
            } else {
                EXPECT_EQ(no.codigo.rfind(a.nos[no.pai].codigo, 0), 0u) << ano << " " << no.texto;
            }
            EXPECT_EQ(no.folha(), no.confirmavel()) << ano << " " << no.texto;
            if (no.confirmavel()) {
                EXPECT_EQ(CodigoDoTextoCnaef(no.texto), no.codigo) << no.texto;
                EXPECT_EQ(DesmembramentoDoTextoCnaef(no.texto), no.desmembramento) << no.texto;
            }
        }
    }
    auto textos = [](const ArvoreCnaef& a) {
        std::vector<std::string> t;
        for (const auto& no : a.nos) t.push_back(no.texto);
        return t;
    };
    const auto antigos = textos(porAno["2005"]);
    const auto novos = textos(porAno["2016"]);
    auto tem = [](const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    };
    EXPECT_TRUE(tem(antigos, "0111-2/01 - Cultivo de arroz"));
    EXPECT_FALSE(tem(antigos, "0111-3/01 - Cultivo de arroz"));
    EXPECT_TRUE(tem(novos, "0111-3/01 - Cultivo de arroz"));
    EXPECT_FALSE(tem(novos, "0111-2/01 - Cultivo de arroz"));
    EXPECT_TRUE(tem(novos, "4711-3/02  [ 01 ]   - Supermercados com área de venda de até 1.000 metros quadrados"));
    EXPECT_TRUE(tem(antigos, "5212-4/00  [ 01 ]   - Supermercados com área de venda de até 1.000 metros quadrados"));
    // Os códigos comuns às duas tabelas aparecem nos dois anos
    EXPECT_TRUE(tem(antigos, "011 - Produção de lavouras temporárias"));
    EXPECT_TRUE(tem(novos, "011 - Produção de lavouras temporárias"));
}

TEST(BuscaMunicipio, PrimeiroQueComecaComOTextoNaOrdemDaLista) {
    const auto lista = municipios({"SANTA CLARA", "SANTA HELENA", "SANTO AMARO", "SOLEDADE", "SÃO JOSÉ DO ARAGUARI",
                                   "SÃO JOSÉ DOS CAMPOS ALTOS", "SÃO JOÃO DAS PEDRAS", "ÁGUA BOA"});
    EXPECT_EQ(LocalizarMunicipio(lista, "S"), 0u);
    EXPECT_EQ(LocalizarMunicipio(lista, "SANTA H"), 1u);
    EXPECT_EQ(LocalizarMunicipio(lista, "SANTO"), 2u);
    EXPECT_EQ(LocalizarMunicipio(lista, "SÃO"), 4u);
    EXPECT_EQ(LocalizarMunicipio(lista, "SÃO JOSÉ DOS"), 5u);
    EXPECT_EQ(LocalizarMunicipio(lista, "SÃO JOÃO"), 6u);
    EXPECT_EQ(LocalizarMunicipio(lista, "Á"), 7u);
    EXPECT_EQ(LocalizarMunicipio(lista, "ÁGUA BOA"), 7u);
    // Sem correspondência, caixa diferente, texto mais longo que o nome, texto vazio
    EXPECT_EQ(LocalizarMunicipio(lista, "SÃO JX"), std::nullopt);
    EXPECT_EQ(LocalizarMunicipio(lista, "santa"), std::nullopt);
    EXPECT_EQ(LocalizarMunicipio(lista, "SÃo"), std::nullopt);
    EXPECT_EQ(LocalizarMunicipio(lista, "ÁGUA BOA DO NORTE"), std::nullopt);
    EXPECT_EQ(LocalizarMunicipio(lista, ""), std::nullopt);
    EXPECT_EQ(LocalizarMunicipio({}, "S"), std::nullopt);

    EXPECT_EQ(TextoBuscaMunicipio("são joão"), "SÃO JOÃO");
    EXPECT_EQ(TextoBuscaMunicipio("três corações"), "TRÊS CORAÇÕES");
    EXPECT_EQ(TextoBuscaMunicipio("água boa é úmida, ôba, lençóis, ü"), "ÁGUA BOA É ÚMIDA, ÔBA, LENÇÓIS, Ü");
    EXPECT_EQ(TextoBuscaMunicipio("olho d'água 2"), "OLHO D'ÁGUA 2");
    EXPECT_EQ(TextoBuscaMunicipio("JÁ MAIÚSCULO"), "JÁ MAIÚSCULO");
    // Digitado em minúsculas, acha o município gravado em maiúsculas
    EXPECT_EQ(LocalizarMunicipio(lista, TextoBuscaMunicipio("são joão")), 6u);
}
