// A suíte de servidor só vale se o servidor estiver mesmo em uso: sem KOV_SERVIDOR_TESTE
// ela falha em vez de passar em silêncio pelo servidor embutido.
#include <gtest/gtest.h>

#include "apoio/BaseTeste.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

using namespace kov;

TEST(Servidor, ConexaoPassaPeloServidorDeRede) {
    ASSERT_FALSE(teste::servidorTeste().empty()) << "defina KOV_SERVIDOR_TESTE (ex.: localhost)";
    teste::PastaTemporaria pasta;
    teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = teste::enderecoBanco(pasta.caminho() / "KOV.GDB");
    c.abrir(p);
    fb::Transacao tr(c);
    // O protocolo da conexão é TCP quando passa pelo servidor
    fb::Comando q(tr, "SELECT RDB$GET_CONTEXT('SYSTEM', 'NETWORK_PROTOCOL') FROM RDB$DATABASE");
    ASSERT_TRUE(q.proximo());
    EXPECT_EQ(q.coluna(0).texto(), "TCPv4");
}
