// A entrega com o substituto real do transmissor (ENVIAX.EXE) como processo filho: protocolo
// para uma de duas, nenhum protocolo, números de 15 e 20 caracteres, gravação em pasta,
// declaração que ficou inconsistente, confirmação cancelada, transmissor fora do KOV.ini, e
// o relógio (função pura e o acerto recusado).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/Consistencia.h"
#include "data/Entregas.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "data/untUtils.h"
#include "delivery/untEntrega.h"
#include "delivery/untSetDeclaracoes.h"
#include "files/CifraRSA.h"
#include "files/untGeraXmlKOV.h"

using namespace kov;
namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

// Variável de ambiente do substituto enquanto o objeto vive.
struct Ambiente {
    std::string nome;
    Ambiente(std::string n, const std::string& valor) : nome(std::move(n)) { setenv(nome.c_str(), valor.c_str(), 1); }
    ~Ambiente() { unsetenv(nome.c_str()); }
};

struct RelogioTeste : Relogio {
    std::deque<DataHoraLocal> leituras;  // uma por chamada; a última se repete
    DataHoraLocal ultima{2026y / March / 10, 14, 30, 5};
    std::vector<DataHoraLocal> definidos;
    DataHoraLocal agora() override {
        if (!leituras.empty()) {
            ultima = leituras.front();
            leituras.pop_front();
        }
        return ultima;
    }
    std::string definir(const DataHoraLocal& m) override {
        definidos.push_back(m);
        return "sem permissão";
    }
};

struct PainelGravado : PainelEntrega {
    std::string contagemTexto, resultadoTexto;
    bool falhou = false;
    int esperas = 0;
    void contagem(const std::string& t) override { contagemTexto = t; }
    void resultado(const std::string& t, bool f) override {
        resultadoTexto = t;
        falhou = f;
    }
    void processarEventos() override { ++esperas; }
};

// Uma execução sobre a instalação de teste: módulo de dados aberto, relógio e painel gravados.
struct Rodada {
    Tdm dm;
    RelogioTeste relogio;
    PainelGravado painel;
    ExecucaoEntrega ex;
    Rodada(teste::InteracaoGravada& ui, const teste::InstalacaoTeste& inst, ModoEntrega modo)
        : dm(ui, inst.exe.string() + "/"), ex(dm, modo, painel, relogio) {
        dm.DataModuleCreate();
    }
};

struct EntregaTeste : ::testing::Test {
    teste::InstalacaoTeste inst;
    teste::InteracaoGravada ui;
    std::vector<int> ids;
    std::vector<Contribuinte> cts;
    const std::string pastaEnviax = fs::path(KOV_ENVIAX).parent_path().string();

    void SetUp() override {
        inst.escreverIni("[KOV]\r\nDatabase=..\\BD\\KOV.GDB\r\n\r\n[ENVIAX]\r\nCaminho=" + pastaEnviax + "\r\n");
        GravarParChavesRSA(GerarParChavesRSA(), inst.exe.string());
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        ids = teste::DeclaracoesParaEntrega(c, 2, "2016", &cts);
    }

    std::vector<std::string> chaves(ModoSelecao modo, Tdm& dm) {
        SelecaoDeclaracoes s(modo);
        EXPECT_TRUE(s.reconstruir(dm.MainConnection, "2016"));
        s.incluirTodas();
        return s.chaves();
    }
    std::vector<Entrega> entregas(Tdm& dm, int id) {
        auto tr = fb::Transacao::leitura(dm.MainConnection);
        auto v = LerEntregas(tr, id);
        tr.commit();
        return v;
    }
    std::string arquivo(int i) const {
        return "KOV" + cts[static_cast<size_t>(i)].INSCESTADUAL + "20161201" + "2016" + "0131N.xml";
    }
    std::string temp() const { return (inst.exe / "temp").string() + "/"; }
};

}  // namespace

TEST(RelogioEntrega, HorarioDeVeraoEDataARestaurar) {
    // 2026: o sábado entre 7 e 13 de fevereiro é 7/2; o domingo entre 15 e 21 de outubro é 18/10
    const std::pair<year_month_day, bool> datas[] = {
        {2026y / February / 7, true},  {2026y / February / 8, false}, {2026y / October / 17, false},
        {2026y / October / 18, true},  {2026y / January / 1, true},   {2026y / December / 31, true},
        {2025y / February / 8, true},  {2025y / February / 9, false}, {2025y / October / 19, true},
        {2025y / October / 18, false}, {2026y / July / 1, false},
    };
    for (const auto& [d, verao] : datas) EXPECT_EQ(NoHorarioVerao(d), verao) << TextoDataHoraLocal({d, 0, 0, 0});

    struct Caso {
        year_month_day lembrada;
        DataHoraLocal agora;
        std::optional<DataHoraLocal> alvo;
    };
    const Caso casos[] = {
        // mesma data: nada a acertar
        {2026y / March / 10, {2026y / March / 10, 9, 1, 2}, std::nullopt},
        // passou da meia-noite fora do verão: volta ao dia lembrado com a hora de agora
        {2026y / March / 10, {2026y / March / 11, 0, 1, 30}, DataHoraLocal{2026y / March / 10, 0, 1, 30}},
        // lembrada no verão e hoje não: uma hora a menos (0h vira 23h do dia anterior)
        {2026y / February / 7, {2026y / February / 8, 0, 0, 10}, DataHoraLocal{2026y / February / 6, 23, 0, 10}},
        {2026y / February / 7, {2026y / February / 8, 5, 0, 10}, DataHoraLocal{2026y / February / 7, 4, 0, 10}},
        // lembrada fora e hoje no verão: uma a mais (23h vira 0h do dia seguinte)
        {2026y / October / 17, {2026y / October / 18, 23, 59, 59}, DataHoraLocal{2026y / October / 18, 0, 59, 59}},
        {2026y / October / 17, {2026y / October / 18, 1, 2, 3}, DataHoraLocal{2026y / October / 17, 2, 2, 3}},
        // os dois no verão
        {2026y / December / 31, {2027y / January / 1, 0, 0, 1}, DataHoraLocal{2026y / December / 31, 0, 0, 1}},
    };
    for (const auto& c : casos) EXPECT_EQ(MomentoRestauracaoRelogio(c.lembrada, c.agora), c.alvo);

    // Entrada montada e chave da declaração
    EXPECT_EQ(EntradaMontada("1234567890107011220260000000042N"), "123456789010720261201N0000000042");
    EXPECT_EQ(DocumentoDaEntrada("123456789010720261201N0000000042"), 42);
}

TEST_F(EntregaTeste, ProtocoloParaUmaDeDuasEListaDosNaoEnviados) {
    Ambiente sem("ENVIAX_SEM_PROTOCOLO", arquivo(1));
    Ambiente registro("ENVIAX_REGISTRO", (inst.raiz.caminho() / "argumentos").string());
    Rodada r(ui, inst, ModoEntrega::Transmissao);
    auto& [dm, relogio, painel, ex] = r;
    const auto k = chaves(ModoSelecao::Transmissao, dm);
    ASSERT_TRUE(ex.confirmar(k));
    EXPECT_EQ(ui.textos(), std::vector<std::string>{"Confirma transmissão de (2) declaração(ões)?"});
    EXPECT_EQ(teste::lerArquivo(ex.arquivoLista()), k[0] + "\r\n" + k[1] + "\r\n");
    EXPECT_EQ(fs::path(ex.arquivoLista()), (inst.bd / "Declaracoes").lexically_normal());
    ui.mensagens.clear();

    EXPECT_TRUE(ex.executar());
    EXPECT_EQ(ex.linhas(), (std::vector<std::string>{"Montando arquivos... ok.", "Transmitindo declarações ok.",
                                                     "Atualizando banco de dados... ok.", "Finalizando... ok."}));
    EXPECT_EQ(painel.contagemTexto, "2 declaração(ões) escolhida(s)");
    EXPECT_EQ(painel.resultadoTexto, "Transmissão finalizada com sucesso!");
    EXPECT_FALSE(painel.falhou);
    EXPECT_EQ(ui.textos(), std::vector<std::string>{"As seguintes declarações não foram enviadas:\r" + temp() +
                                                    arquivo(1) + "\r"});
    // O transmissor recebeu os dois caminhos, rodando na raiz
    EXPECT_EQ(teste::lerArquivo(inst.raiz.caminho() / "argumentos"),
              pastaEnviax + "/ENVIAX.EXE\n" + temp() + arquivo(0) + "\n" + temp() + arquivo(1) + "\n");
    const auto e0 = entregas(dm, ids[0]);
    ASSERT_EQ(e0.size(), 1u);
    EXPECT_EQ(e0[0].TIPOTRANSMISSAO, "T");
    EXPECT_EQ(e0[0].PROTOCOLO.size(), 17u);
    EXPECT_EQ(e0[0].PROTOCOLO.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_TRUE(e0[0].DATA.has_value());
    EXPECT_TRUE(HoraValida(e0[0].HORA)) << e0[0].HORA;
    EXPECT_NE(e0[0].RECIBO.find("Contribuinte:"), std::string::npos);
    EXPECT_TRUE(entregas(dm, ids[1]).empty());
    // A pasta temporária foi esvaziada e removida; a lista some quando a tela fecha
    EXPECT_FALSE(fs::exists(temp()));
    ex.encerrar();
    EXPECT_FALSE(fs::exists(ex.arquivoLista()));
    EXPECT_TRUE(relogio.definidos.empty());
}

TEST_F(EntregaTeste, NenhumProtocoloNaoGravaNada) {
    for (const char* variavel : {"ENVIAX_SEM_PROTOCOLO", "ENVIAX_SAIR", "ENVIAX_APAGAR"}) {
        SCOPED_TRACE(variavel);
        Ambiente a(variavel, std::string(variavel) == "ENVIAX_APAGAR" ? arquivo(0) + ";" + arquivo(1) : "*");
        ui.mensagens.clear();
        Rodada r(ui, inst, ModoEntrega::Transmissao);
        auto& [dm, relogio, painel, ex] = r;
        ASSERT_TRUE(ex.confirmar(chaves(ModoSelecao::Transmissao, dm)));
        EXPECT_FALSE(ex.executar());
        EXPECT_EQ(ex.linhas(), (std::vector<std::string>{"Montando arquivos... ok.", "Transmitindo declarações falhou.",
                                                         "Atualizando banco de dados... falhou.", "Finalizando... ok."}));
        EXPECT_EQ(painel.resultadoTexto, MSG_OPERACAO_NAO_EFETUADA);
        EXPECT_TRUE(painel.falhou);
        EXPECT_EQ(ui.textos().back(), "As seguintes declarações não foram enviadas:\r" + temp() + arquivo(0) + "\r" +
                                          temp() + arquivo(1) + "\r");
        EXPECT_TRUE(entregas(dm, ids[0]).empty());
        EXPECT_TRUE(entregas(dm, ids[1]).empty());
        EXPECT_FALSE(fs::exists(temp()));
    }
}

TEST_F(EntregaTeste, NumeroDoProtocoloCortadoOuCompletadoEm17) {
    for (const auto& [numero, guardado] : {std::pair<std::string, std::string>{"123456789012345", "123456789012345  "},
                                           {"12345678901234567890", "12345678901234567"}}) {
        Ambiente a("ENVIAX_NUMERO", numero);
        Rodada r(ui, inst, ModoEntrega::Transmissao);
        auto& [dm, relogio, painel, ex] = r;
        ASSERT_TRUE(ex.confirmar(chaves(ModoSelecao::Transmissao, dm)));
        ASSERT_TRUE(ex.executar());
        const auto e = entregas(dm, ids[0]);
        ASSERT_FALSE(e.empty());
        EXPECT_EQ(e.back().PROTOCOLO, guardado);
    }
}

TEST_F(EntregaTeste, GravacaoEmPastaCifradaComLinhasD) {
    const fs::path destino = inst.raiz.caminho() / "disquete";
    fs::create_directories(destino);
    teste::escreverArquivo(destino / arquivo(0), "antigo");  // substituído
    ui.pastas = {destino.string()};
    Rodada r(ui, inst, ModoEntrega::Gravacao);
    auto& [dm, relogio, painel, ex] = r;
    ASSERT_TRUE(ex.confirmar(chaves(ModoSelecao::Gravacao, dm)));
    EXPECT_EQ(ui.textos(), std::vector<std::string>{"Confirma gravação de (2) declaração(ões)?"});
    ui.mensagens.clear();
    EXPECT_TRUE(ex.executar());
    EXPECT_EQ(ex.linhas(), (std::vector<std::string>{"Montando arquivos... ok.", "Gravando disquete... ok.",
                                                     "Atualizando banco de dados... ok.", "Finalizando... ok."}));
    EXPECT_EQ(painel.resultadoTexto, "Gravação finalizada com sucesso!");
    EXPECT_EQ(ui.textos(), std::vector<std::string>{
                               "O(s) arquivo(s) gravado(s) deverá(ão) ser transmitido(s) via internet\rutilizando o "
                               "transmissor ENVIAX. Esta transmissão exigirá senha do usuário de acesso ao TALMA!"});
    for (int i = 0; i < 2; ++i) {
        const std::string conteudo = teste::lerArquivo(destino / arquivo(i));
        EXPECT_NE(conteudo.find("<dados>"), std::string::npos);
        EXPECT_EQ(conteudo.find("<contribuinte>"), std::string::npos) << "o bloco de dados vai cifrado";
        const auto e = entregas(dm, ids[static_cast<size_t>(i)]);
        ASSERT_EQ(e.size(), 1u);
        EXPECT_EQ(e[0].TIPOTRANSMISSAO, "D");
        EXPECT_FALSE(e[0].DATA.has_value());
        EXPECT_EQ(e[0].HORA, "");
        EXPECT_EQ(e[0].PROTOCOLO, "");
        EXPECT_FALSE(e[0].RECIBO.empty());
    }
    {
        // Protocolo e hora ficam nulos (os recibos são as entregas com protocolo)
        auto tr = fb::Transacao::leitura(dm.MainConnection);
        fb::Comando q(tr, "SELECT COUNT(*) FROM TRANSMISSAO WHERE PROTOCOLO IS NULL AND HORA IS NULL AND DATA IS NULL");
        q.proximo();
        EXPECT_EQ(q.coluna(0).inteiro(), 2);
    }
    EXPECT_FALSE(fs::exists(temp()));

    // Sem pasta escolhida, ou uma cópia que falha: nada na base
    for (const std::string& pasta : {std::string(), (destino / arquivo(0)).string()}) {
        ui.mensagens.clear();
        ui.pastas = {pasta};
        ExecucaoEntrega outra(dm, ModoEntrega::Gravacao, painel, relogio);
        ASSERT_TRUE(outra.confirmar(chaves(ModoSelecao::Gravacao, dm)));
        EXPECT_FALSE(outra.executar());
        EXPECT_EQ(outra.linhas()[1], "Gravando disquete... falhou.");
        EXPECT_EQ(painel.resultadoTexto, MSG_OPERACAO_NAO_EFETUADA);
        EXPECT_EQ(ui.contem("Erro na gravação do arquivo no disquete! Contacte o suporte da DRU!"), !pasta.empty());
        EXPECT_EQ(entregas(dm, ids[0]).size(), 1u);
    }
}

TEST_F(EntregaTeste, DeclaracaoInconsistenteDepoisDeEscolhidaParaTudo) {
    Ambiente registro("ENVIAX_REGISTRO", (inst.raiz.caminho() / "argumentos").string());
    Tdm dm(ui, inst.exe.string() + "/");
    dm.DataModuleCreate();
    const auto k = chaves(ModoSelecao::Transmissao, dm);
    {
        Declaracao d = CarregarDeclaracao(dm.MainConnection, ids[1]);
        d.estoque->INITRIBUTADOS = Dinheiro::deReais(50);  // o total gravado fica velho
        GravarDeclaracao(dm.MainConnection, d);
    }
    RelogioTeste relogio;
    PainelGravado painel;
    ExecucaoEntrega ex(dm, ModoEntrega::Transmissao, painel, relogio);
    ASSERT_TRUE(ex.confirmar(k));
    ui.mensagens.clear();
    EXPECT_FALSE(ex.executar());
    EXPECT_EQ(ui.textos(), (std::vector<std::string>{"A declaração de I.E. nº " + cts[1].INSCESTADUAL +
                                                         " está inconsistente, favor consistí-la novamente. \r"
                                                         "A operação será abortada.",
                                                     "Operação abortada\rContacte o suporte da DRU!"}));
    EXPECT_EQ(ex.linhas(), std::vector<std::string>{"Montando arquivos... falhou."});
    EXPECT_EQ(painel.resultadoTexto, MSG_OPERACAO_NAO_EFETUADA);
    EXPECT_FALSE(fs::exists(inst.raiz.caminho() / "argumentos")) << "o transmissor não foi chamado";
    EXPECT_FALSE(fs::exists(temp()));
    EXPECT_TRUE(entregas(dm, ids[0]).empty());
}

TEST_F(EntregaTeste, ConfirmacaoCanceladaNaoGravaALista) {
    Rodada r(ui, inst, ModoEntrega::Transmissao);
    auto& [dm, relogio, painel, ex] = r;
    ui.respostas = {false};
    EXPECT_FALSE(ex.confirmar(chaves(ModoSelecao::Transmissao, dm)));
    EXPECT_FALSE(fs::exists(ex.arquivoLista()));
    EXPECT_FALSE(fs::exists(inst.bd / "Declaracoes"));
}

TEST_F(EntregaTeste, TransmissorForaDoIniEscolhidoNaPastaContaOsProtocolos) {
    struct Caso {
        std::string caminho;  // valor no KOV.ini
        std::string erro;
    };
    const Caso casos[] = {
        {"", "Não foi encontrado o caminho do ENVIAX no arquivo KOV.INI!\rSelecione o caminho!"},
        {"/nao/existe", "O caminho informado no arquivo KOV.INI não está correto!\rSelecione o caminho!"},
    };
    for (const auto& c : casos) {
        inst.escreverIni("[KOV]\r\nDatabase=..\\BD\\KOV.GDB\r\n\r\n[ENVIAX]\r\nCaminho=" + c.caminho + "\r\n");
        Tdm dm(ui, inst.exe.string() + "/");
        dm.DataModuleCreate();
        RelogioTeste relogio;
        PainelGravado painel;
        // Primeiro uma pasta sem o transmissor: nada é iniciado
        ui.mensagens.clear();
        ui.pastas = {inst.bd.string()};
        ExecucaoEntrega semTransmissor(dm, ModoEntrega::Transmissao, painel, relogio);
        ASSERT_TRUE(semTransmissor.confirmar(chaves(ModoSelecao::Transmissao, dm)));
        EXPECT_FALSE(semTransmissor.executar());
        EXPECT_EQ(ui.textos()[1], c.erro);
        EXPECT_EQ(ui.textos()[2], "Não foi possível localizar o arquivo ENVIAX.EXE no caminho especificado!");
        const auto pasta = std::find_if(ui.mensagens.begin(), ui.mensagens.end(),
                                        [](const teste::MensagemGravada& m) { return m.tipo == "pasta"; });
        ASSERT_NE(pasta, ui.mensagens.end());
        EXPECT_EQ(pasta->titulo, "Selecione o caminho do ENVIAX");
        // Depois a pasta certa: fica no KOV.ini entre aspas e as entregas contam
        ui.pastas = {pastaEnviax};
        ExecucaoEntrega ex(dm, ModoEntrega::Transmissao, painel, relogio);
        ASSERT_TRUE(ex.confirmar(chaves(ModoSelecao::Transmissao, dm)));
        EXPECT_TRUE(ex.executar());
        EXPECT_EQ(LerIni(dm.arquivoIni(), "ENVIAX", "Caminho"), pastaEnviax);
        EXPECT_NE(teste::lerArquivo(dm.arquivoIni()).find("Caminho=\"" + pastaEnviax + "\"\r\n"), std::string::npos);
        EXPECT_NE(teste::lerArquivo(dm.arquivoIni()).find("Database=..\\BD\\KOV.GDB\r\n"), std::string::npos);
        EXPECT_FALSE(entregas(dm, ids[0]).empty());
    }
}

TEST_F(EntregaTeste, RelogioQueMudouDeDataEAcertoRecusado) {
    Tdm dm(ui, inst.exe.string() + "/");
    dm.DataModuleCreate();
    RelogioTeste relogio;
    relogio.leituras = {{2026y / March / 10, 23, 59, 50}, {2026y / March / 11, 0, 0, 20}};
    PainelGravado painel;
    ExecucaoEntrega ex(dm, ModoEntrega::Transmissao, painel, relogio);
    ASSERT_TRUE(ex.confirmar(chaves(ModoSelecao::Transmissao, dm)));
    EXPECT_TRUE(ex.executar()) << "a recusa do sistema não derruba a entrega";
    ASSERT_EQ(relogio.definidos.size(), 1u);
    EXPECT_EQ(relogio.definidos[0], (DataHoraLocal{2026y / March / 10, 0, 0, 20}));
    EXPECT_EQ(ex.linhas()[2], "Relógio do computador não acertado para 10/03/2026 00:00:20: sem permissão.");
    EXPECT_EQ(ex.linhas().back(), "Finalizando... ok.");
}
