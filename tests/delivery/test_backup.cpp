// Cópia de segurança e restauração numa instalação real: nomes e comentário com o relógio fixo,
// a base inteira de ida e volta, cada falha da restauração com a base viva intacta, o disco
// cheio, as declarações cifradas no ZIP e de volta, os arquivos hostis e a cópia automática.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <zip.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "apoio/RetratoBase.h"
#include "apoio/Zip.h"
#include "data/Declaracao.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "delivery/CompactacaoZip.h"
#include "delivery/untBackup.h"
#include "files/CifraRSA.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

// 8 de dezembro de 2026, 09:30:15
std::tm momento(int dia = 8, int hora = 9) {
    std::tm m{};
    m.tm_mday = dia;
    m.tm_mon = 11;
    m.tm_year = 2026 - 1900;
    m.tm_hour = hora;
    m.tm_min = 30;
    m.tm_sec = 15;
    return m;
}

const std::string ERRO_COMPACTACAO = MSG_ERRO_COMPACTACAO;

bool comecaCom(const std::string& s, const std::string& prefixo) { return s.rfind(prefixo, 0) == 0; }

std::vector<std::string> nomesNaPasta(const fs::path& pasta) {
    std::vector<std::string> v;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(pasta, ec)) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<std::string> entradasZip(const std::string& arquivo) {
    std::vector<std::string> v;
    int erro = 0;
    zip_t* z = zip_open(arquivo.c_str(), ZIP_RDONLY, &erro);
    if (!z) return v;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) v.push_back(zip_get_name(z, i, 0));
    zip_discard(z);
    return v;
}

// Cópia do ZIP com uma entrada de bytes aleatórios que deixa o arquivo com 'tamanho' bytes.
std::string zipComTamanho(const std::string& origem, const std::string& destino, std::uintmax_t tamanho) {
    std::string preenchimento;
    long long falta = static_cast<long long>(tamanho - fs::file_size(origem)) - 200;
    for (int tentativa = 0; tentativa < 6; ++tentativa) {
        preenchimento.resize(static_cast<size_t>(std::max(0LL, falta)));
        unsigned x = 12345;
        for (auto& ch : preenchimento) ch = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
        fs::copy_file(origem, destino, fs::copy_options::overwrite_existing);
        int erro = 0;
        zip_t* z = zip_open(destino.c_str(), 0, &erro);
        zip_source_t* src = zip_source_buffer(z, preenchimento.data(), preenchimento.size(), 0);
        const zip_int64_t i = zip_file_add(z, "preenchimento.bin", src, 0);
        zip_set_file_compression(z, static_cast<zip_uint64_t>(i), ZIP_CM_STORE, 0);
        zip_close(z);
        const auto atual = fs::file_size(destino);
        if (atual == tamanho) break;
        falta += static_cast<long long>(tamanho) - static_cast<long long>(atual);
    }
    return destino;
}

struct Backup : ::testing::Test {
    teste::InstalacaoTeste inst;
    teste::InteracaoGravada ui;
    std::unique_ptr<Tdm> dm;
    std::unique_ptr<TBackup> b;
    fs::path pastaBackup;

    void SetUp() override {
        dm = std::make_unique<Tdm>(ui, inst.exe.string());
        dm->DataModuleCreate();
        ASSERT_TRUE(dm->conectado());
        b = std::make_unique<TBackup>(*dm, ui);
        b->agora = [] { return momento(); };
        pastaBackup = inst.raiz.caminho() / "backup";
        ui.mensagens.clear();
    }
    std::string base() const { return inst.base.string(); }
    std::string retrato() const { return teste::RetratoDados(base()); }
    std::string erros() const {
        std::string s;
        for (const auto& m : ui.mensagens)
            if (m.tipo == "erro") s += m.texto + "\n";
        return s;
    }
};

}  // namespace

TEST(BackupNomes, NomesComentarioLinhaEPastas) {
    const std::tm m = momento();
    EXPECT_EQ(NomeArquivoBackupBase("/x/backup/", m), "/x/backup/BKP_KOV_BNC08122026h093015.ZIP");
    EXPECT_EQ(NomeArquivoBackupDeclaracoes("/x/backup", m), "/x/backup/BKP_KOV_DEC08122026093015.ZIP");
    EXPECT_EQ(NomeArquivoBackupDeclaracoes("/x/backup/", m, true), "/x/backup/BKP_KOV_BNC08122026093015.ZIP");
    EXPECT_EQ(ComentarioBackupBase("7.07.10", m),
              "..: BACKUP DE BANCO DE DADOS :..\n\rAplicativo:. ------------- KOV\n\rVersão Banco:. ----------- "
              "7.07.10\n\rData Backup:. ------------ 08/12/2026 09:30:15");

    // O momento volta do nome; nomes de outro padrão não contam para a cópia automática
    const auto lido = MomentoDoNomeBackupBase("bkp_kov_bnc08122026h093015.zip");
    ASSERT_TRUE(lido);
    EXPECT_EQ(TextoDataBackup(*lido) + TextoHoraBackup(*lido), "08122026093015");
    for (const char* n : {"BKP_KOV_DEC08122026093015.ZIP", "BKP_KOV_BNC08122026093015.ZIP",
                          "BKP_KOV_BNC32122026h093015.ZIP", "BKP_KOV_BNC0812202xh093015.ZIP", "outro.zip"})
        EXPECT_FALSE(MomentoDoNomeBackupBase(n)) << n;

    // A chave da declaração nas colunas 35-44 da linha da página de seleção
    const std::string linha = LinhaPaginaBackup("1234567890107011220260000000042N");
    EXPECT_EQ(linha, "123.456789.0107 de 01 a 12/2026 - 0000000042");
    EXPECT_EQ(linha.substr(34, 10), "0000000042");

    // "EXE" duas vezes no caminho do programa: as cópias vão para a pasta ao lado de EXE e a
    // restauração trabalha ao lado da base do KOV.ini, nunca numa pasta de cima
    EXPECT_EQ(PastaBackupPadrao("/c/EXEMPLOS/KOV/EXE/"), "/c/EXEMPLOS/KOV/backup/");
    const auto c = CaminhosDaRestauracao("/c/EXEMPLOS/KOV/BD/KOV.GDB");
    EXPECT_EQ(c.seguranca, "/c/EXEMPLOS/KOV/BD/bkpOriginalKOV.GDB");
    EXPECT_EQ(c.trabalho, "/c/EXEMPLOS/KOV/BD/TEMP");
    EXPECT_EQ(c.copiaZip, "/c/EXEMPLOS/KOV/BD/TEMP/bkp.zip");
    EXPECT_EQ(c.extraida, "/c/EXEMPLOS/KOV/BD/TEMP/KOV.GDB");
}

TEST_F(Backup, BaseDeIdaEVoltaTrazCadaLinha) {
    inst.executarSQL("INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES ('TESTE1', 'Antes da cópia')");
    const std::string antes = retrato();

    const std::string zip = b->GerarBackupBase(pastaBackup.string());
    ASSERT_EQ(zip, (pastaBackup / "BKP_KOV_BNC08122026h093015.ZIP").string()) << erros();
    EXPECT_EQ(ui.textos(), (std::vector<std::string>{"Confirma a geração do arquivo de backup?",
                                                     "Cópia de segurança gerada com sucesso. Arquivos adicionados = 1"}));
    EXPECT_GT(ui.progressos, 0);
    EXPECT_EQ(entradasZip(zip), std::vector<std::string>{"KOV.GDB"});
    const std::string comentario = ComentarioZip(zip);
    EXPECT_TRUE(comecaCom(comentario.substr(comentario.rfind("\n\r") + 2), "Data Backup:. ------------ "));
    // A base continua usável e sem a trava de cópia; nada ficou na pasta da base
    EXPECT_EQ(nomesNaPasta(inst.bd), std::vector<std::string>{"KOV.GDB"});

    // O mesmo nome de novo: "R" grava no mesmo arquivo, "N" não grava
    ui.opcoes = {"R", "N"};
    EXPECT_EQ(b->GerarBackupBase(pastaBackup.string()), zip);
    EXPECT_EQ(b->GerarBackupBase(pastaBackup.string()), "");
    EXPECT_EQ(nomesNaPasta(pastaBackup), std::vector<std::string>{"BKP_KOV_BNC08122026h093015.ZIP"});

    // Mudanças depois da cópia; um diário de atualização esquecido ao lado da base
    inst.executarSQL("DELETE FROM PARAMETROS WHERE CAMPO = 'TESTE1'");
    inst.executarSQL("INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES ('TESTE2', 'Depois da cópia')");
    teste::escreverArquivo(inst.bd / "KOV.GDB.atualizacao", "origem=7.05.03\ncopia=KOV-7.05.03.GDB\n");
    ASSERT_NE(retrato(), antes);

    // Um ZIP de 1.048.575 bytes é restaurado como qualquer outro (a cópia de uma base pequena
    // tem poucas centenas de KB)
    const std::string menor =
        zipComTamanho(zip, (inst.raiz.caminho() / "menor.zip").string(), (std::uintmax_t{1} << 20) - 1);
    ASSERT_EQ(fs::file_size(menor), (1u << 20) - 1);
    ui.mensagens.clear();
    EXPECT_EQ(b->ExecutarRestauracao(menor), FimRestauracao::Restaurada) << erros();
    EXPECT_EQ(ui.textos().front(), MSG_CONFIRMA_RESTAURACAO);
    EXPECT_EQ(ui.textos().back(), MSG_BASE_RESTAURADA);
    dm->DefinirConexao(false);
    EXPECT_EQ(retrato(), antes);
    // A base substituída fica guardada; a pasta de trabalho e o diário da base antiga se foram
    EXPECT_EQ(nomesNaPasta(inst.bd), (std::vector<std::string>{"KOV.GDB", "bkpOriginalKOV.GDB"}));
}

TEST_F(Backup, RestauracaoQueFalhaDeixaABaseViva) {
    const std::string antes = retrato();
    const fs::path lixo = inst.raiz.caminho() / "lixo";
    const std::string base1MiB(1 << 20, 'x');
    fs::create_directories(lixo);
    teste::escreverArquivo(lixo / ".keep", "");
    struct Caso {
        const char* nome;
        std::function<void(const std::string&)> montar;
        const char* erro;  // começo da mensagem de erro
    };
    const std::vector<Caso> casos = {
        {"nao-zip.zip", [&](const std::string& a) { teste::escreverArquivo(a, base1MiB + "PK"); },
         MSG_ZIP_NAO_ENCONTRADO},
        {"truncado.zip",
         [&](const std::string& a) {
             teste::criarZip(a, {{"KOV.GDB", teste::lerArquivo(inst.base)}});
             fs::resize_file(a, fs::file_size(a) / 2);
         },
         MSG_ZIP_NAO_ENCONTRADO},
        {"sem-base.zip", [](const std::string& a) { teste::criarZip(a, {{"OUTRO.GDB", "x"}}); },
         "O arquivo "},
        {"nao-base.zip", [&](const std::string& a) { teste::criarZip(a, {{"KOV.GDB", base1MiB}}); },
         "A reconstrução da base restaurada falhou"},
        // Nomes hostis: as pastas caem e nada é escrito fora da pasta de trabalho
        {"zip-slip.zip",
         [&](const std::string& a) {
             teste::criarZip(a, {{"../../lixo/KOV.GDB", "x"}, {"/tmp/../" + lixo.string() + "/abs.GDB", "x"}});
         },
         "A reconstrução da base restaurada falhou"},
    };
    for (const auto& c : casos) {
        const std::string arq = (inst.raiz.caminho() / c.nome).string();
        c.montar(arq);
        ui.mensagens.clear();
        EXPECT_EQ(b->ExecutarRestauracao(arq), FimRestauracao::NaoRestaurada) << c.nome;
        EXPECT_TRUE(comecaCom(erros(), c.erro)) << c.nome << ": " << erros();
        EXPECT_TRUE(dm->conectado()) << c.nome;
        EXPECT_EQ(nomesNaPasta(inst.bd), std::vector<std::string>{"KOV.GDB"}) << c.nome;
        EXPECT_EQ(nomesNaPasta(lixo), std::vector<std::string>{".keep"}) << c.nome;
    }

    // Uma ferramenta gbak na pasta do programa que falha sem dizer nada: o código de saída basta
    const std::string zip = b->GerarBackupBase(pastaBackup.string());
    ASSERT_FALSE(zip.empty()) << erros();
    teste::escreverArquivo(inst.exe / "gbak", "#!/bin/sh\nexit 3\n");
    fs::permissions(inst.exe / "gbak", fs::perms::owner_all);
    ui.mensagens.clear();
    EXPECT_EQ(b->ExecutarRestauracao(zip), FimRestauracao::NaoRestaurada);
    EXPECT_TRUE(comecaCom(erros(), "A reconstrução da base restaurada falhou")) << erros();

    // Recusada na pergunta: nada é tocado
    ui.mensagens.clear();
    ui.respostas = {false};
    EXPECT_EQ(b->ExecutarRestauracao(zip), FimRestauracao::NaoRestaurada);
    EXPECT_EQ(ui.textos(), std::vector<std::string>{MSG_CONFIRMA_RESTAURACAO});

    dm->DefinirConexao(false);
    EXPECT_EQ(retrato(), antes);
    EXPECT_EQ(nomesNaPasta(inst.bd), std::vector<std::string>{"KOV.GDB"});
}

TEST_F(Backup, DiscoCheioAoCompactar) {
    const fs::path pequeno = inst.raiz.caminho() / "pequeno";
    fs::create_directories(pequeno);
    if (::mount("tmpfs", pequeno.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "sem permissão para montar um tmpfs";
    const std::string antes = retrato();
    EXPECT_EQ(b->GerarBackupBase(pequeno.string()), "");
    const auto noDisco = nomesNaPasta(pequeno);
    ::umount(pequeno.c_str());
    EXPECT_EQ(noDisco, std::vector<std::string>{});
    EXPECT_TRUE(comecaCom(erros(), ERRO_COMPACTACAO + "\r\n")) << erros();
    EXPECT_TRUE(ui.contem("Confirma a geração do arquivo de backup?"));
    // A base está inteira, sem a trava de cópia física, e aceita gravação
    inst.executarSQL("INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES ('TESTE3', 'Depois do disco cheio')");
    EXPECT_EQ(nomesNaPasta(inst.bd), std::vector<std::string>{"KOV.GDB"});
    EXPECT_NE(retrato(), antes);
}

TEST_F(Backup, CopiaAutomaticaAoFechar) {
    fs::create_directories(pastaBackup);
    // Cópias antigas da base (10, 20 e 30 dias) e arquivos de outros padrões, que ficam
    for (int dias : {10, 20, 30}) {
        const std::string nome = NomeArquivoBackupBase(pastaBackup.string(), momento(30 - dias + 1, 8));
        teste::escreverArquivo(nome, "");
    }
    teste::escreverArquivo(pastaBackup / "BKP_KOV_DEC01122026093015.ZIP", "");
    teste::escreverArquivo(pastaBackup / "minha-copia.zip", "");
    b->agora = [] {
        std::tm m = momento();
        m.tm_mday = 31;  // 31/12/2026: a mais nova tem 10 dias
        return m;
    };
    inst.escreverIni("[KOV]\nDatabase=..\\BD\\KOV.GDB\n[BACKUP]\nDias=7\nManter=2\n");
    const std::string gravado = b->BackupAutomatico();
    EXPECT_EQ(fs::path(gravado).filename(), "BKP_KOV_BNC31122026h093015.ZIP") << erros();
    EXPECT_EQ(ui.textos(), std::vector<std::string>{});  // nada perguntado nem dito
    EXPECT_EQ(nomesNaPasta(pastaBackup),
              (std::vector<std::string>{"BKP_KOV_BNC21122026h083015.ZIP", "BKP_KOV_BNC31122026h093015.ZIP",
                                        "BKP_KOV_DEC01122026093015.ZIP", "minha-copia.zip"}));
    // Uma cópia recente (menos de 7 dias) ou Dias=0: nada a fazer
    EXPECT_EQ(b->BackupAutomatico(), "");
    inst.escreverIni("[KOV]\nDatabase=..\\BD\\KOV.GDB\n[BACKUP]\nDias=0\n");
    fs::remove(gravado);
    fs::remove(pastaBackup / "BKP_KOV_BNC21122026h083015.ZIP");
    EXPECT_EQ(b->BackupAutomatico(), "");
    EXPECT_EQ(LerConfigBackupAutomatico((inst.exe / "nada.ini").string()).dias, 7);
    EXPECT_EQ(LerConfigBackupAutomatico((inst.exe / "nada.ini").string()).manter, 10);

    // A falha é dita e não sobe: a pasta de cópias é um arquivo
    inst.escreverIni("[KOV]\nDatabase=..\\BD\\KOV.GDB\n");
    fs::remove_all(pastaBackup);
    teste::escreverArquivo(pastaBackup, "não é pasta");
    EXPECT_EQ(b->BackupAutomatico(), "");
    EXPECT_EQ(erros(), "Não foi possivel criar o diretório de backup\n");
}

namespace {

struct BackupDeclaracoes : Backup {
    std::vector<int> ids;
    std::vector<std::string> chaves;

    void SetUp() override {
        Backup::SetUp();
        static const ParChavesRSA par = GerarParChavesRSA();
        GravarParChavesRSA(par, inst.exe.string());
        ids = teste::DeclaracoesParaEntrega(dm->MainConnection, 2, "2016");
        for (int id : ids) chaves.push_back(*ChaveEscolhaDaDeclaracao(dm->MainConnection, id));
    }
    int declaracoes() {
        auto tr = fb::Transacao::leitura(dm->MainConnection);
        fb::Comando q(tr, "SELECT COUNT(*) FROM DOCUMENTO");
        q.proximo();
        return static_cast<int>(q.coluna(0).inteiro());
    }
    fs::path tmp() const { return inst.raiz.caminho() / "~tmp"; }
    fs::path tempdec() const { return inst.exe / "temp" / "tempdec"; }
};

}  // namespace

TEST_F(BackupDeclaracoes, CopiaERestauracao) {
    // Duas declarações: dois arquivos cifrados, "= 2"; a pasta de trabalho some
    const std::string zip = b->GerarBackupDeclaracoes(chaves, pastaBackup.string());
    ASSERT_EQ(fs::path(zip).filename(), "BKP_KOV_DEC08122026093015.ZIP") << erros();
    EXPECT_TRUE(ui.contem("Cópia de segurança gerada com sucesso. Arquivos adicionados = 2"));
    EXPECT_EQ(ui.textos().back(), "Operação efetuada com sucesso!");
    EXPECT_EQ(ui.mensagens.front().texto, "Gerando cópia de segurança.");
    const auto entradas = entradasZip(zip);
    ASSERT_EQ(entradas.size(), 2u);
    EXPECT_FALSE(fs::exists(tmp()));

    // O mesmo nome: "N" não grava e os arquivos ficam na pasta de trabalho; a próxima cópia
    // (com "R", o nome _BNC) os leva junto. A mesma declaração duas vezes dá um arquivo só.
    ui.opcoes = {"N"};
    EXPECT_EQ(b->GerarBackupDeclaracoes({chaves[0]}, pastaBackup.string()), "");
    EXPECT_EQ(nomesNaPasta(tmp()), std::vector<std::string>{entradas[0]});
    ui.mensagens.clear();
    ui.opcoes = {"R"};
    const std::string bnc = b->GerarBackupDeclaracoes({chaves[1], chaves[1]}, pastaBackup.string());
    EXPECT_EQ(fs::path(bnc).filename(), "BKP_KOV_BNC08122026093015.ZIP");
    EXPECT_EQ(entradasZip(bnc).size(), 2u);
    EXPECT_TRUE(ui.contem("Cópia de segurança gerada com sucesso. Arquivos adicionados = 2"));

    // Restauração: as declarações apagadas voltam pelo leitor, só as marcadas
    inst.executarSQL("DELETE FROM DOCUMENTO");
    ASSERT_EQ(declaracoes(), 0);
    const auto nomes = b->AbrirBackupDeclaracoes(zip);
    EXPECT_EQ(nomes, entradas);
    ui.mensagens.clear();
    b->RestaurarDeclaracoes({});
    EXPECT_EQ(ui.textos(), std::vector<std::string>{MSG_RESTAURACAO_FINALIZADA});
    EXPECT_EQ(declaracoes(), 0);
    ui.mensagens.clear();
    b->RestaurarDeclaracoes({{2, nomes[1]}});
    EXPECT_EQ(ui.mensagens.front().texto, "Restaurando 2º arquivo");
    EXPECT_EQ(ui.textos(), std::vector<std::string>{MSG_RESTAURACAO_FINALIZADA}) << erros();
    EXPECT_EQ(declaracoes(), 1);
    b->LimparRestauracaoDeclaracoes();
    EXPECT_FALSE(fs::exists(tempdec()));
}

// Uma entrada com o nome que o temporário de outra teria não é apagada por ela
TEST(ExtracaoZip, EntradaComNomeDeTemporarioFica) {
    teste::PastaTemporaria tmp;
    const std::string zip = (tmp.caminho() / "c.zip").string();
    const fs::path destino = tmp.caminho() / "destino";
    fs::create_directories(destino);
    teste::criarZip(zip, {{".extraindo-1", "primeira"}, {"b.xml", "segunda"}});
    EXPECT_EQ(ExtrairZip(zip, destino.string(), 1 << 20), (std::vector<std::string>{".extraindo-1", "b.xml"}));
    EXPECT_EQ(nomesNaPasta(destino), (std::vector<std::string>{".extraindo-1", "b.xml"}));
    EXPECT_EQ(teste::lerArquivo(destino / ".extraindo-1"), "primeira");
}

TEST_F(BackupDeclaracoes, ArquivosHostisRecusados) {
    const fs::path fora = inst.raiz.caminho() / "fora";
    fs::create_directories(fora);
    const std::string xml = "<?xml version=\"1.0\"?><x/>";
    auto arquivo = [&](const char* nome) { return (inst.raiz.caminho() / nome).string(); };

    // Nomes com "..", absolutos e com pastas caem na pasta de trabalho pelo último nome; o link
    // simbólico é ignorado, e um link plantado na pasta é trocado, não seguido
    teste::criarZip(arquivo("slip.zip"), {{"../../fora/a.xml", xml}, {fora.string() + "/b.xml", xml},
                                           {"pasta\\c.xml", xml}, {"link.xml", fora.string() + "/alvo.xml"}});
    {
        int erro = 0;
        zip_t* z = zip_open(arquivo("slip.zip").c_str(), 0, &erro);
        ASSERT_TRUE(z);
        zip_file_set_external_attributes(z, zip_name_locate(z, "link.xml", 0), 0, ZIP_OPSYS_UNIX,
                                         (S_IFLNK | 0777u) << 16);
        ASSERT_EQ(zip_close(z), 0);
    }
    fs::create_directories(tempdec());
    fs::create_symlink(fora / "plantado.xml", tempdec() / "c.xml");
    EXPECT_EQ(b->AbrirBackupDeclaracoes(arquivo("slip.zip")), (std::vector<std::string>{"a.xml", "b.xml", "c.xml"}));
    EXPECT_EQ(nomesNaPasta(fora), std::vector<std::string>{});
    EXPECT_FALSE(fs::is_symlink(tempdec() / "c.xml"));
    b->LimparRestauracaoDeclaracoes();

    // Não é ZIP, truncado, vazio, bomba de expansão: a mensagem, e nada a restaurar
    teste::escreverArquivo(arquivo("texto.zip"), "não sou zip");
    teste::criarZip(arquivo("truncado.zip"), {{"a.xml", std::string(200000, 'a') + xml}});
    fs::resize_file(arquivo("truncado.zip"), fs::file_size(arquivo("truncado.zip")) - 30);
    teste::criarZip(arquivo("vazio.zip"), {});
    teste::criarZip(arquivo("bomba.zip"), {{"bomba.xml", std::string(100u << 20, '\0')}});
    for (const char* nome : {"texto.zip", "truncado.zip", "vazio.zip", "bomba.zip"}) {
        ui.mensagens.clear();
        EXPECT_THROW(b->AbrirBackupDeclaracoes(arquivo(nome)), Abortar) << nome;
        EXPECT_EQ(ui.textos(), (std::vector<std::string>{MSG_ZIP_NAO_ENCONTRADO, MSG_NADA_A_RESTAURAR})) << nome;
        EXPECT_EQ(nomesNaPasta(tempdec()), std::vector<std::string>{}) << nome;
    }
}
