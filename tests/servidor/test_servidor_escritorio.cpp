// O servidor de um escritório: vários programas (aqui, processos kov-cli e kov de verdade) na
// mesma base, por um servidor Firebird em localhost, entrando com um usuário próprio do
// escritório (chaves Usuario e Senha do KOV.ini) que é o dono da base, como o README ensina:
// o usuário é criado pelo SYSDBA e a base é restaurada pelo gbak entrando como ele.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "data/AberturaBase.h"
#include "data/Declaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

const char* const USUARIO = "KOV_ESCRITORIO";
const char* const SENHA = "Balcao2026";
const char* const SEM_DIREITOS = "KOV_ESTAGIARIO";

struct Escritorio : ::testing::Test {
    teste::InstalacaoTeste inst{false};
    std::string cli, endereco;
    fb::Conexao c;  // do teste, entrando como o usuário do escritório
    std::vector<int> ids;

    void SetUp() override {
        ASSERT_FALSE(teste::servidorTeste().empty()) << "defina KOV_SERVIDOR_TESTE (ex.: localhost)";
        fs::permissions(inst.bd, fs::perms::all);  // o servidor cria a base aqui
        const fs::path modelo = inst.raiz.caminho() / "MODELO.GDB", copia = inst.raiz.caminho() / "modelo.fbk";
        teste::copiarBaseModelo(modelo);
        endereco = teste::enderecoBanco(inst.base);
        // Usuários criados pelo SYSDBA (a senha padrão do programa), pelo servidor
        {
            fb::Conexao adm;
            fb::ParametrosConexao p;
            p.banco = teste::enderecoBanco(modelo);
            adm.abrir(p);
            for (const std::string& sql :
                 {"CREATE OR ALTER USER " + std::string(USUARIO) + " PASSWORD '" + SENHA + "'",
                  "GRANT CREATE DATABASE TO USER " + std::string(USUARIO),
                  "CREATE OR ALTER USER " + std::string(SEM_DIREITOS) + " PASSWORD '" + SENHA + "'"}) {
                fb::Transacao tr(adm);
                fb::Comando::executarDireto(tr, sql);
                tr.commit();
            }
        }
        // A base passa a ser do usuário do escritório: cópia pelo gbak, restaurada por ele
        auto r = teste::rodar("/usr/bin/gbak", {"-b", "-user", "SYSDBA", modelo.string(), copia.string()});
        ASSERT_EQ(r.codigo, 0) << r.saida << r.erros;
        fs::permissions(copia, fs::perms::all);
        r = teste::rodar("/usr/bin/gbak", {"-c", "-user", USUARIO, "-password", SENHA, copia.string(), endereco});
        ASSERT_EQ(r.codigo, 0) << r.saida << r.erros;

        inst.escreverIni("[KOV]\nDatabase=" + endereco + "\nUsuario=" + USUARIO + "\nSenha=" + SENHA + "\n");
        cli = teste::instalarCli(inst.exe.string());
        c.abrir(comoEscritorio());
        ids = teste::DeclaracoesParaEntrega(c, 2, "2016");
    }

    fb::ParametrosConexao comoEscritorio() const {
        fb::ParametrosConexao p;
        p.banco = endereco;
        p.usuario = USUARIO;
        p.senha = SENHA;
        return p;
    }
    std::vector<std::string> alterar(int id, const std::string& valor) const {
        return {"declaracoes", "alterar", std::to_string(id), "--valor", valor};
    }
    Quantia lido(int id, const std::string& nome) {
        for (const auto& [n, v] : ValoresPorNome(CarregarDeclaracao(c, id)))
            if (n == nome) return Dinheiro::deTexto(v);
        return std::nullopt;
    }
    // Segura as linhas de DOCUMENTO até 'esperando' gravações de outras conexões estarem
    // paradas nelas: os processos chegam juntos à gravação qualquer que seja a carga da máquina.
    struct Trava {
        Escritorio& e;
        fb::Transacao tr;
        Trava(Escritorio& es, const std::vector<int>& docs) : e(es), tr(es.c) {
            for (int id : docs) {
                fb::Comando q(tr, "SELECT 1 FROM DOCUMENTO WHERE DOCUMENTO_ID = :ID WITH LOCK");
                q.param("ID", id);
                q.proximo();
            }
        }
        bool soltarQuando(int esperando) {
            const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (contar() < esperando && std::chrono::steady_clock::now() < limite)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const bool chegaram = contar() == esperando;
            tr.rollback();
            return chegaram;
        }
        int64_t contar() {
            auto l = fb::Transacao::leitura(e.c);  // a fotografia das tabelas MON$ é por transação
            fb::Comando q(l, "SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$STATE = 1 AND "
                             "MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON$SQL_TEXT CONTAINING 'FROM DOCUMENTO' "
                             "AND MON$SQL_TEXT CONTAINING 'WITH LOCK'");
            q.proximo();
            return q.coluna(0).inteiro();
        }
    };
};

}  // namespace

TEST_F(Escritorio, UsuarioESenhaDoKOVIni) {
    // O usuário do escritório entra e grava; sem as chaves o programa entra como SYSDBA
    auto r = teste::rodar(cli, alterar(ids[0], "ESTOQUE.INITRIBUTADOS=10"));
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(lido(ids[0], "ESTOQUE.INITRIBUTADOS"), Dinheiro::deReais(10));
    inst.escreverIni("[KOV]\nDatabase=" + endereco + "\n");
    r = teste::rodar(cli, {"declaracoes", "listar"});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(teste::linhas(r.saida).size(), 2u);

    // Senha errada e usuário que não é dono da base: o que fazer, antes do texto do servidor
    const std::string recusado = "O servidor Firebird recusou o usuário e a senha. Confira as chaves Usuario e Senha";
    const std::string semDireitos = "O usuário do KOV.ini não tem direitos sobre as tabelas da base " + endereco;
    for (const auto& [usuario, senha, esperado] :
         {std::tuple{std::string(USUARIO), std::string("errada"), recusado},
          std::tuple{std::string(SEM_DIREITOS), std::string(SENHA), semDireitos}}) {
        inst.escreverIni("[KOV]\nDatabase=" + endereco + "\nUsuario=" + usuario + "\nSenha=" + senha + "\n");
        r = teste::rodar(cli, {"declaracoes", "listar"});
        EXPECT_NE(r.codigo, 0);
        EXPECT_NE(r.erros.find(esperado), std::string::npos) << r.erros;
        EXPECT_EQ(r.saida, "");
    }
}

TEST_F(Escritorio, DoisComputadoresEmDeclaracoesDiferentes) {
    Trava trava(*this, ids);
    teste::ProcessoFilho a(cli, alterar(ids[0], "ESTOQUE.INITRIBUTADOS=1000"));
    teste::ProcessoFilho b(cli, alterar(ids[1], "ESTOQUE.INITRIBUTADOS=2000"));
    ASSERT_TRUE(trava.soltarQuando(2)) << "as gravações não chegaram à base";
    const auto ra = a.esperar(), rb = b.esperar();
    EXPECT_EQ(ra.codigo, 0) << ra.erros;
    EXPECT_EQ(rb.codigo, 0) << rb.erros;
    EXPECT_EQ(lido(ids[0], "ESTOQUE.INITRIBUTADOS"), Dinheiro::deReais(1000));
    EXPECT_EQ(lido(ids[1], "ESTOQUE.INITRIBUTADOS"), Dinheiro::deReais(2000));
}

TEST_F(Escritorio, DoisComputadoresNaMesmaDeclaracao) {
    const int id = ids[0];
    const Quantia prolabore = lido(id, "DESPESASOPERACIONAIS.PROLABORE"), seguro = lido(id, "DESPESASOPERACIONAIS.SEGURO");
    Trava trava(*this, {id});
    // Cada um muda duas seções: o perdedor não deixa nenhuma das duas gravada
    auto pedido = [&](const char* estoque, const char* despesa) {
        auto args = alterar(id, estoque);
        args.insert(args.end(), {"--valor", despesa});
        return args;
    };
    const auto pedidoA = pedido("ESTOQUE.INITRIBUTADOS=1000", "DESPESASOPERACIONAIS.SEGURO=111");
    const auto pedidoB = pedido("ESTOQUE.INITRIBUTADOS=2000", "DESPESASOPERACIONAIS.PROLABORE=222");
    teste::ProcessoFilho a(cli, pedidoA);
    teste::ProcessoFilho b(cli, pedidoB);
    ASSERT_TRUE(trava.soltarQuando(2)) << "as gravações não chegaram à base";
    const auto ra = a.esperar(), rb = b.esperar();

    ASSERT_EQ((ra.codigo == 0) + (rb.codigo == 0), 1) << ra.erros << rb.erros;
    const bool aGanhou = ra.codigo == 0;
    const auto& perdedor = aGanhou ? rb : ra;
    EXPECT_EQ(perdedor.codigo, 1);
    EXPECT_EQ(perdedor.erros, std::string(MSG_DECLARACAO_GRAVADA_POR_OUTRO) + "\n");
    EXPECT_EQ(lido(id, "ESTOQUE.INITRIBUTADOS"), Dinheiro::deReais(aGanhou ? 1000 : 2000));
    EXPECT_EQ(lido(id, "DESPESASOPERACIONAIS.SEGURO"), aGanhou ? Quantia(Dinheiro::deReais(111)) : seguro);
    EXPECT_EQ(lido(id, "DESPESASOPERACIONAIS.PROLABORE"), aGanhou ? prolabore : Quantia(Dinheiro::deReais(222)));

    // Repetido, o pedido do perdedor grava sobre o do vencedor
    const auto repetido = teste::rodar(cli, aGanhou ? pedidoB : pedidoA);
    EXPECT_EQ(repetido.codigo, 0) << repetido.erros;
    EXPECT_EQ(lido(id, "ESTOQUE.INITRIBUTADOS"), Dinheiro::deReais(aGanhou ? 2000 : 1000));
    EXPECT_EQ(lido(id, "DESPESASOPERACIONAIS.SEGURO"), Dinheiro::deReais(111));
    EXPECT_EQ(lido(id, "DESPESASOPERACIONAIS.PROLABORE"), Dinheiro::deReais(222));
}

TEST_F(Escritorio, TelaEKovCliNaMesmaBase) {
    const fs::path kov = inst.exe / "kov";
    fs::copy_file(KOV_GUI, kov);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    teste::ProcessoFilho tela(kov.string(), {});
    // A tela está conectada quando a sua conexão aparece no servidor
    auto conexoesDaTela = [&] {
        auto tr = fb::Transacao::leitura(c);
        fb::Comando q(tr, "SELECT COUNT(*) FROM MON$ATTACHMENTS WHERE MON$REMOTE_PROCESS = :P AND MON$USER = :U");
        q.param("P", kov.string()).param("U", USUARIO);
        q.proximo();
        return q.coluna(0).inteiro();
    };
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (conexoesDaTela() == 0 && std::chrono::steady_clock::now() < limite)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(conexoesDaTela(), 1) << "a tela não se conectou";

    // Com a tela aberta, o kov-cli grava, consiste e lista na mesma base
    auto r = teste::rodar(cli, alterar(ids[0], "ESTOQUE.INITRIBUTADOS=700"));
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_NE(r.saida.find("\tConsistente"), std::string::npos) << r.saida;
    EXPECT_EQ(lido(ids[0], "ESTOQUE.INITRIBUTADOS"), Dinheiro::deReais(700));
    EXPECT_EQ(conexoesDaTela(), 1);

    // E a tela fecha normalmente, soltando a base
    tela.sinal(SIGTERM);
    const auto fim = tela.esperar();
    EXPECT_EQ(fim.codigo, 0) << fim.erros;
    EXPECT_EQ(conexoesDaTela(), 0);
}
