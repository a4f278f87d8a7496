// Duas cópias da mesma declaração gravadas por conexões diferentes (dois programas, dois
// computadores): a que chega depois da gravação da outra é recusada inteira, com a mensagem,
// e nada dela vai para a base; a que esperava pela outra recebe a mesma recusa. A suíte de
// servidor roda estes testes também pelo servidor Firebird.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "data/Declaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

using namespace kov;

namespace {

struct GravacaoConcorrente : ::testing::Test {
    teste::BaseAberta base;
    fb::Conexao outra;
    int id = 0;

    void SetUp() override {
        id = teste::DeclaracoesParaEntrega(base.c, 1, "2016").front();
        outra.abrir(base.c.parametros());
    }
    static void definir(Declaracao& d, const char* nome, int64_t reais) {
        ASSERT_TRUE(DefinirValorPorNome(d, nome, Dinheiro::deReais(reais))) << nome;
    }
    // O valor gravado, lido numa transação nova
    Quantia lido(const std::string& nome) {
        for (const auto& [n, v] : ValoresPorNome(CarregarDeclaracao(base.c, id)))
            if (n == nome) return Dinheiro::deTexto(v);
        return std::nullopt;
    }
    static std::string recusa(fb::Conexao& c, Declaracao& d) {
        try {
            GravarDeclaracao(c, d);
        } catch (const ErroSistema& e) {
            return e.what();
        }
        return "gravou";
    }
};

}  // namespace

TEST_F(GravacaoConcorrente, CopiaLidaAntesDaGravacaoDeOutroERecusadaInteira) {
    Declaracao aqui = CarregarDeclaracao(base.c, id);
    Declaracao la = CarregarDeclaracao(outra, id);
    const Quantia prolabore = lido("DESPESASOPERACIONAIS.PROLABORE");

    definir(aqui, "ESTOQUE.INITRIBUTADOS", 1000);
    GravarDeclaracao(base.c, aqui);
    // A outra cópia mudou outra seção: gravá-la juntaria as duas versões (e o KOV de uma
    // com as figuras da outra)
    definir(la, "DESPESASOPERACIONAIS.PROLABORE", 222);
    EXPECT_EQ(recusa(outra, la), MSG_DECLARACAO_GRAVADA_POR_OUTRO);
    EXPECT_EQ(lido("ESTOQUE.INITRIBUTADOS"), Dinheiro::deReais(1000));
    EXPECT_EQ(lido("DESPESASOPERACIONAIS.PROLABORE"), prolabore);

    // Quem gravou continua gravando a sua cópia; a outra, aberta de novo, também grava
    definir(aqui, "ESTOQUE.FIMTRIBUTADOS", 30);
    EXPECT_EQ(recusa(base.c, aqui), "gravou");
    la = CarregarDeclaracao(outra, id);
    definir(la, "DESPESASOPERACIONAIS.PROLABORE", 222);
    EXPECT_EQ(recusa(outra, la), "gravou");
    EXPECT_EQ(lido("ESTOQUE.FIMTRIBUTADOS"), Dinheiro::deReais(30));
    EXPECT_EQ(lido("DESPESASOPERACIONAIS.PROLABORE"), Dinheiro::deReais(222));

    // Excluída pelo outro: a cópia daqui não a recria pela metade
    Declaracao excluida = CarregarDeclaracao(base.c, id);
    ExcluirDeclaracao(outra, id);
    definir(excluida, "ESTOQUE.INITRIBUTADOS", 5);
    EXPECT_EQ(recusa(base.c, excluida), MSG_DECLARACAO_EXCLUIDA_POR_OUTRO);
    auto tr = fb::Transacao::leitura(base.c);
    fb::Comando q(tr, "SELECT COUNT(*) FROM DOCUMENTO WHERE DOCUMENTO_ID = :ID");
    q.param("ID", id);
    ASSERT_TRUE(q.proximo());
    EXPECT_EQ(q.coluna(0).inteiro(), 0);
}

TEST_F(GravacaoConcorrente, QuemEsperaPelaGravacaoDoOutroERecusado) {
    Declaracao aqui = CarregarDeclaracao(base.c, id);
    Declaracao la = CarregarDeclaracao(outra, id);
    definir(aqui, "ESTOQUE.INITRIBUTADOS", 1000);
    definir(la, "ESTOQUE.INITRIBUTADOS", 2000);
    fb::Transacao tr(base.c);
    EscreverDeclaracao(tr, aqui);  // a linha fica travada até o commit
    std::string resultado;
    std::thread outroComputador([&] { resultado = recusa(outra, la); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // para que espere pela trava
    tr.commit();
    MarcarComoGravada(aqui);
    outroComputador.join();
    EXPECT_EQ(resultado, MSG_DECLARACAO_GRAVADA_POR_OUTRO);
    EXPECT_EQ(lido("ESTOQUE.INITRIBUTADOS"), Dinheiro::deReais(1000));
}
