// kov-cli contribuintes/responsaveis: importação de planilhas CSV e listagens, rodando o
// programa como processo filho numa instalação temporária.
#include <gtest/gtest.h>

#include <sstream>

#include "apoio/BaseTeste.h"
#include "apoio/Processo.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

using namespace kov;

namespace {

struct CliCadastros : ::testing::Test {
    teste::InstalacaoTeste inst;
    std::string cli;
    std::string municipio, nomeMunicipio;

    void SetUp() override {
        cli = teste::instalarCli(inst.exe.string());
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        auto tr = fb::Transacao::leitura(c);
        // Um município de nome sem acentos: o nome vai no meio de planilhas em Windows-1252
        fb::Comando m(tr, "SELECT CODDRUMUNICIPIO, DESCRICAO FROM MUNICIPIO ORDER BY CODDRUMUNICIPIO");
        while (m.proximo()) {
            const std::string nome = m.coluna(1).texto();
            bool ascii = true;
            for (unsigned char ch : nome) ascii = ascii && ch < 0x80;
            if (!ascii) continue;
            municipio = std::to_string(m.coluna(0).inteiro());
            nomeMunicipio = nome;
            break;
        }
        tr.commit();
        ASSERT_FALSE(municipio.empty());
    }

    std::string arquivo(const std::string& nome, const std::string& bytes) {
        const auto p = inst.raiz.caminho() / nome;
        teste::escreverArquivo(p, bytes);
        return p.string();
    }

    int contarContribuintes() {
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        auto tr = fb::Transacao::leitura(c);
        fb::Comando q(tr, "SELECT COUNT(*) FROM CONTRIBUINTE");
        q.proximo();
        const int n = static_cast<int>(q.coluna(0).inteiro());
        tr.commit();
        return n;
    }
};

std::vector<std::string> linhas(const std::string& texto) {
    std::vector<std::string> v;
    std::istringstream in(texto);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

// Responsáveis em Windows-1252, como uma planilha brasileira salva em CSV
const std::string RESPONSAVEIS_1252 =
    "NOME;DDD;TELEFONE;EMAIL\r\n"
    "Jos\xE9 C\xE2mara;11;33334444;jose@contab.com.br\r\n"
    "Beatriz;1;33334444;bia@contab.com.br\r\n"
    "In\xEAs Ara\xFAjo;(21);3333-5555;ines@contab.com.br\r\n";

}  // namespace

TEST_F(CliCadastros, AjudaMostraOsVerbos) {
    const auto r = teste::rodar(cli, {"--help"});
    EXPECT_EQ(r.codigo, 0);
    for (const char* v : {"contribuintes listar", "contribuintes importar", "responsaveis listar", "responsaveis importar"})
        EXPECT_NE(r.saida.find(v), std::string::npos) << v;
}

TEST_F(CliCadastros, ImportaPlanilhasComLinhasBoasERuins) {
    auto r = teste::rodar(cli, {"responsaveis", "importar", arquivo("resp.csv", RESPONSAVEIS_1252)});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.saida, "2 importados, 1 recusado\n");
    EXPECT_EQ(r.erros, "Linha 3: O DDD deve ter no mínimo 2 dígitos.\n");

    r = teste::rodar(cli, {"responsaveis", "listar"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    auto l = linhas(r.saida);
    ASSERT_EQ(l.size(), 2u) << r.saida;
    // Em ordem de nome, convertidos para UTF-8, com a máscara do telefone tirada
    EXPECT_EQ(l[0], "2\tInês Araújo\t21\t33335555\tines@contab.com.br");
    EXPECT_EQ(l[1], "1\tJosé Câmara\t11\t33334444\tjose@contab.com.br");

    const std::string cab =
        "InscEstadual;RazaoSocial;CNPJ;Email;TipoContribuinte_ID;Responsavel;CNAEF_ID;Desmembramento;"
        "CodDruMunicipio;Endereco;Numero;Bairro;CEP;DDD;Telefone\r\n";
    const std::string fim = ";Rua das Flores;10;Centro;";
    const std::string contribuintes =
        cab +
        // 2: aceita; razão social com ";" entre aspas; responsável pelo nome acentuado
        "1234567890107;\"Padaria P\xE3o; Caf\xE9 Ltda\";12345678000199;padaria@x.com;3;Jos\xE9 C\xE2mara;4711301;00;" +
        municipio + fim + "12345678;11;33334444\r\n" +
        // 3: inscrição inválida
        "1234567890108;Mercado Um;12345678000199;m@x.com;3;Jos\xE9 C\xE2mara;4711301;00;" + municipio + fim +
        "12345678;11;33334444\r\n" +
        // 4: CEP com 7 caracteres
        "9876543210979;Mercado Dois;12345678000199;m@x.com;3;Jos\xE9 C\xE2mara;4711301;00;" + municipio + fim +
        "1234567;11;33334444\r\n" +
        // 5: sem responsável
        "9876543210979;Mercado Tr\xEAs;12345678000199;m@x.com;3;;4711301;00;" + municipio + fim +
        "12345678;11;33334444\r\n" +
        // 6: repete a inscrição da linha 2
        "1234567890107;Outra;12345678000199;o@x.com;3;2;4711301;00;" + municipio + fim + "12345678;11;33334444\r\n" +
        // 7: aceita sem DDD nem telefone (perguntas respondidas Sim), município pelo nome
        "0010000000172;A\xE7ougue;12345678000199;a@x.com;Contribuinte em Geral;2;4711301;00;" + nomeMunicipio + fim +
        "12345678;;\r\n" +
        // 8: telefone com 6 caracteres
        "9876543210979;Mercado Quatro;12345678000199;m@x.com;3;2;4711301;00;" + municipio + fim +
        "12345678;11;333444\r\n";
    const auto csv = arquivo("contribuintes.csv", contribuintes);
    r = teste::rodar(cli, {"contribuintes", "importar", csv});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.saida, "2 importados, 5 recusados\n");
    EXPECT_EQ(r.erros,
              "Linha 3: Inscrição Estadual inválida!\n"
              "Linha 4: O campo \"CEP\" deve ter no mínimo 8 caracteres.\n"
              "Linha 5: Favor selecionar um responsável!\nCaso não existam responsáveis na lista, \n"
              "pode-se cadastrar um novo através do botão que está ao lado da mesma.\n"
              "Linha 6: Já existe um Contribuinte com esta Inscrição Estadual!\n"
              "Linha 7: O campo \"DDD\" não tem valor. Deseja continuar? [Sim]\n"
              "Linha 7: O campo \"Telefone\" não tem valor. Deseja continuar? [Sim]\n"
              "Linha 8: O campo \"Telefone\" deve ter no mínimo 7 caracteres.\n");

    // Só as linhas aceitas estão na base, em ordem de inscrição
    r = teste::rodar(cli, {"contribuintes", "listar"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    l = linhas(r.saida);
    ASSERT_EQ(l.size(), 2u) << r.saida;
    EXPECT_EQ(l[0], "2\t0010000000172\tAçougue\t12345678000199\t" + nomeMunicipio +
                        "\tContribuinte em Geral\ta@x.com\t2");
    EXPECT_EQ(l[1], "1\t1234567890107\tPadaria Pão; Café Ltda\t12345678000199\t" + nomeMunicipio +
                        "\tContribuinte em Geral\tpadaria@x.com\t1");
    EXPECT_EQ(contarContribuintes(), 2);

    // O mesmo arquivo de novo: as linhas antes aceitas agora são inscrições repetidas
    r = teste::rodar(cli, {"contribuintes", "importar", csv});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.saida, "0 importados, 7 recusados\n");
    EXPECT_NE(r.erros.find("Linha 2: Já existe um Contribuinte com esta Inscrição Estadual!\n"), std::string::npos);
    EXPECT_NE(r.erros.find("Linha 7: Já existe um Contribuinte com esta Inscrição Estadual!\n"), std::string::npos);
    EXPECT_EQ(contarContribuintes(), 2);
}

TEST_F(CliCadastros, PlanilhaSemRecusasSaiComZero) {
    ASSERT_EQ(teste::rodar(cli, {"responsaveis", "importar",
                                 arquivo("r.csv", "nome;ddd;telefone;email\nAna;11;33334444;ana@x.com\n")})
                  .codigo,
              0);
    // UTF-8 com BOM e linha final sem quebra
    const std::string csv = "\xEF\xBB\xBFINSCESTADUAL;RAZAOSOCIAL;CNPJ;EMAIL;TIPOCONTRIBUINTE_ID;RESPONSAVEL;CNAEF_ID;"
                            "CODDRUMUNICIPIO;CEP;DDD;TELEFONE\n"
                            "1234567890107;Ótica Ímpar;12.345.678/0001-99;o@x.com;1;Ana;4711301;" +
                            municipio + ";12345-678;11;3333444";
    const auto r = teste::rodar(cli, {"contribuintes", "importar", arquivo("c.csv", csv)});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(r.saida, "1 importado, 0 recusados\n");
    EXPECT_EQ(r.erros, "");
    const auto lista = teste::rodar(cli, {"contribuintes", "listar"});
    EXPECT_NE(lista.saida.find("\t1234567890107\tÓtica Ímpar\t12345678000199\t"), std::string::npos) << lista.saida;
}

TEST_F(CliCadastros, UsoErradoEArquivoQueNaoServeSaemComDois) {
    auto r = teste::rodar(cli, {"contribuintes"});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_NE(r.erros.find("Uso: kov-cli contribuintes listar"), std::string::npos) << r.erros;
    EXPECT_EQ(teste::rodar(cli, {"responsaveis", "apagar", "1"}).codigo, 2);
    EXPECT_EQ(teste::rodar(cli, {"contribuintes", "importar"}).codigo, 2);

    const auto faltando = (inst.raiz.caminho() / "nao-existe.csv").string();
    r = teste::rodar(cli, {"contribuintes", "importar", faltando});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_EQ(r.erros, "Arquivo não encontrado: " + faltando + "\n");

    // Planilha de responsáveis no verbo de contribuintes: cabeçalho recusado, nada gravado
    r = teste::rodar(cli, {"contribuintes", "importar", arquivo("r.csv", RESPONSAVEIS_1252)});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_EQ(r.erros, "Coluna desconhecida no cabeçalho: NOME\n");
    r = teste::rodar(cli, {"responsaveis", "importar", arquivo("falta.csv", "NOME;DDD;EMAIL\nAna;11;a@x.com\n")});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_EQ(r.erros, "Faltam colunas no cabeçalho: TELEFONE\n");
    r = teste::rodar(cli, {"responsaveis", "importar", arquivo("vazio.csv", "")});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_EQ(teste::rodar(cli, {"responsaveis", "listar"}).saida, "");

    // Base inacessível: falha do sistema, código 1
    std::filesystem::remove(inst.exe / "KOV.ini");
    r = teste::rodar(cli, {"contribuintes", "listar"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Arquivo INI não encontrado!"), std::string::npos) << r.erros;
}
