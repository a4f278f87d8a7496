// A cifra dos arquivos: arquivos de chave, blocos RSA de 128 bits, Base64 estrito e as
// operações de texto com as suas caixas de erro.
#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/rand.h>

#include <filesystem>
#include <functional>

#include "apoio/BaseTeste.h"
#include "apoio/InteracaoGravada.h"
#include "files/CifraRSA.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

// Um par gerado uma vez por processo (gerar primos custa alguns milissegundos)
const ParChavesRSA& par() {
    static const ParChavesRSA p = GerarParChavesRSA();
    return p;
}

std::string bytes(std::initializer_list<int> b) {
    std::string s;
    for (int x : b) s += static_cast<char>(x);
    return s;
}

std::string erroDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErroCifra& e) {
        return e.what();
    }
    return "(nenhum erro)";
}

}  // namespace

TEST(Cifra, ArquivoDeChaveLayoutLittleEndianEZeroAEsquerda) {
    // Módulo 0x80..01 (16 bytes, ímpar) e expoente 0x0100C1: conteúdo em little-endian; o
    // primeiro byte do expoente (0xC1) passa de 0x80 e ganha um 0x00 à frente.
    ChaveRSA c;
    c.modulo = bytes({0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01});
    c.expoente = bytes({0x01, 0x00, 0xC1});
    const std::string arquivo = CodificarChaveRSA(c);
    EXPECT_EQ(arquivo, bytes({0x30, 0x18, 0x02, 0x10, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x02,
                              0x04, 0x00, 0xC1, 0x00, 0x01}));
    EXPECT_EQ(LerChaveRSA(arquivo), c);
    // Um byte inicial de exatamente 0x80 não ganha o zero (a regra é "acima de 0x80")
    c.expoente = bytes({0x03, 0x80});
    EXPECT_EQ(CodificarChaveRSA(c).substr(20), bytes({0x02, 0x02, 0x80, 0x03}));
    EXPECT_EQ(LerChaveRSA(CodificarChaveRSA(c)), c);
    // Os pares gerados voltam iguais, e o comprimento longo (0x81 n) é lido
    EXPECT_EQ(LerChaveRSA(CodificarChaveRSA(par().publica)), par().publica);
    EXPECT_EQ(LerChaveRSA(CodificarChaveRSA(par().privada)), par().privada);
    std::string longo = CodificarChaveRSA(c);
    longo = bytes({0x30, 0x81, static_cast<int>(longo.size() - 2)}) + longo.substr(2);
    EXPECT_EQ(LerChaveRSA(longo), c);
}

TEST(Cifra, ArquivosDeChaveRecusados) {
    const std::string boa = CodificarChaveRSA(par().publica);
    struct Caso {
        const char* nome;
        std::string bytes;
        const char* erro;
    };
    std::string semSequencia = boa;
    semSequencia[0] = 0x31;
    std::string comprimentoErrado = boa;
    comprimentoErrado[1] = static_cast<char>(comprimentoErrado[1] + 1);
    std::string inteiroErrado = boa;
    inteiroErrado[2] = 0x03;
    ChaveRSA curta = par().publica;
    curta.modulo = curta.modulo.substr(1);
    curta.modulo.back() |= 1;
    ChaveRSA par_ = par().publica;
    par_.modulo.back() &= static_cast<char>(0xFE);
    ChaveRSA expoenteGrande = par().publica;
    expoenteGrande.expoente = std::string(16, '\xFF');
    const Caso casos[] = {
        {"vazio", "", "Invalid Asymmetric Key"},
        {"maior que 4097 bytes", boa + std::string(4097, '\0'), "Invalid Asymmetric Key"},
        {"sem SEQUENCE", semSequencia, "Invalid Asymmetric Key"},
        {"comprimento que não fecha", comprimentoErrado, "Invalid Asymmetric Key"},
        {"comprimento indefinido", bytes({0x30, 0x80, 0x00, 0x00}), "Invalid Asymmetric Key"},
        {"sem INTEGER", inteiroErrado, "Invalid RSA Key"},
        {"um só INTEGER", bytes({0x30, 0x03, 0x02, 0x01, 0x01}), "Invalid RSA Key"},
        {"sobra depois do expoente", boa.substr(0, 1) + static_cast<char>(boa[1] + 1) + boa.substr(2) + '\0',
         "Invalid RSA Key"},
        {"módulo de 120 bits", CodificarChaveRSA(curta), "Invalid RSA Key"},
        {"módulo par", CodificarChaveRSA(par_), "Invalid RSA Key"},
        {"expoente maior que o módulo", CodificarChaveRSA(expoenteGrande), "Invalid RSA Key"},
    };
    for (const auto& c : casos) EXPECT_EQ(erroDe([&] { LerChaveRSA(c.bytes); }), c.erro) << c.nome;
}

TEST(Cifra, BlocosDeCincoParaDezesseisEVoltaDoTexto) {
    // n bytes dão 16 × ⌈n/5⌉; o texto vazio dá um bloco
    for (auto [n, esperado] : {std::pair{0, 16}, {1, 16}, {5, 16}, {6, 32}, {10, 32}, {11, 48}}) {
        std::string claro;
        for (int i = 0; i < n; ++i) claro += static_cast<char>(i == 2 ? 0 : 0xF0 + i);  // zeros e bytes altos
        const std::string cifrado = CifrarBytes(claro, par().publica);
        EXPECT_EQ(cifrado.size(), static_cast<size_t>(esperado)) << n;
        EXPECT_EQ(DecifrarBytes(cifrado, par().privada), claro) << n;
    }
    // O enchimento é aleatório: o mesmo texto cifra diferente a cada vez
    EXPECT_NE(CifrarBytes("abcde", par().publica), CifrarBytes("abcde", par().publica));
    // Um bloco decifrado com a chave pública (a errada) não tem o formato
    const std::string cifrado = CifrarBytes("abcde", par().publica);
    EXPECT_NE(erroDe([&] { DecifrarBytes(cifrado, par().publica); }), "(nenhum erro)");
    EXPECT_EQ(erroDe([&] { DecifrarBytes("", par().privada); }), "RSA decoding error: Block too small");
}

TEST(Cifra, ExponenciacaoConfereComAOpenSSL) {
    // A conta de 128 bits do bloco contra BN_mod_exp, com as duas chaves e entradas aleatórias
    // (inclusive acima do módulo e zero)
    BN_CTX* ctx = BN_CTX_new();
    for (const ChaveRSA* chave : {&par().publica, &par().privada}) {
        BIGNUM* n = BN_bin2bn(reinterpret_cast<const unsigned char*>(chave->modulo.data()), 16, nullptr);
        BIGNUM* e = BN_bin2bn(reinterpret_cast<const unsigned char*>(chave->expoente.data()),
                              static_cast<int>(chave->expoente.size()), nullptr);
        for (int i = 0; i < 200; ++i) {
            unsigned char le[16];
            RAND_bytes(le, sizeof le);
            if (i == 0) std::fill(le, le + 16, 0);
            if (i == 1) std::fill(le, le + 16, 0xFF);
            BIGNUM* x = BN_lebin2bn(le, 16, nullptr);
            BIGNUM* y = BN_new();
            BN_mod_exp(y, x, e, n, ctx);
            std::string esperado(16, '\0');
            BN_bn2lebinpad(y, reinterpret_cast<unsigned char*>(esperado.data()), 16);
            EXPECT_EQ(ExponenciarBloco(std::string(reinterpret_cast<char*>(le), 16), *chave), esperado) << i;
            BN_free(x);
            BN_free(y);
        }
        BN_free(n);
        BN_free(e);
    }
    BN_CTX_free(ctx);
}

TEST(Cifra, ErrosDeDecodificacaoDoBloco) {
    // Blocos montados à mão (little-endian: o byte 15 é o mais significativo), elevados ao
    // expoente público e decifrados: cada regra da decodificação com o seu texto.
    auto decifrar = [](std::string le) {
        return erroDe([&] { DecifrarBytes(ExponenciarBloco(le, par().publica), par().privada); });
    };
    std::string tipoErrado(16, '\x07');
    tipoErrado[5] = 0;
    tipoErrado[14] = 0x05;
    tipoErrado[15] = 0;
    EXPECT_EQ(decifrar(tipoErrado), "RSA decoding error: Invalid block type");
    std::string curto(16, '\0');
    for (int i = 0; i < 9; ++i) curto[i] = 0x11;
    curto[3] = 0;
    curto[9] = 0x02;  // 10 bytes depois de tirar os zeros
    EXPECT_EQ(decifrar(curto), "RSA decoding error: Block too small");
    std::string semSeparador(16, '\x09');
    semSeparador[14] = 0x02;
    semSeparador[15] = 0;
    EXPECT_EQ(decifrar(semSeparador), "RSA decoding error: Invalid block format");
    // Tipo 0x01 também é aceito; os dados são os bytes abaixo do primeiro zero
    std::string tipo1(16, '\xFF');
    tipo1[0] = 'o';
    tipo1[1] = 'k';
    tipo1[2] = 0;
    tipo1[14] = 0x01;
    tipo1[15] = 0;
    EXPECT_EQ(DecifrarBytes(ExponenciarBloco(tipo1, par().publica), par().privada), "ok");
}

TEST(Cifra, Base64Estrito) {
    EXPECT_EQ(CodificarBase64(""), "");
    EXPECT_EQ(CodificarBase64("f"), "Zg==");
    EXPECT_EQ(CodificarBase64("fo"), "Zm8=");
    EXPECT_EQ(CodificarBase64("foo"), "Zm9v");
    EXPECT_EQ(CodificarBase64(std::string(100, '\xFB')).find('\n'), std::string::npos) << "uma linha só";
    for (const char* t : {"", "Zg==", "Zm8=", "Zm9v", "+/+/"}) EXPECT_EQ(CodificarBase64(DecodificarBase64(t)), t);
    for (const char* ruim : {"Zm9v\r\nZm9v", "Zm9 v", "Zm9", "Z===", "Zg=a", "Zm9-", "Zm9.", "=Zm9", "Zg==Zm9v"})
        EXPECT_EQ(erroDe([&] { DecodificarBase64(ruim); }), "Invalid Base64 Character") << ruim;
}

TEST(Cifra, TextoCifradoComAsChavesDaPastaEErrosNaCaixa) {
    teste::PastaTemporaria pasta;
    GravarParChavesRSA(par(), pasta.str());
    teste::InteracaoGravada ui;
    const std::vector<std::string> linhas = {"<contribuinte>", "<razao_social>Cafe e Cia</razao_social>", "</documento>"};
    const std::string cifrado = CifrarTexto(linhas, pasta.str(), ui);
    EXPECT_TRUE(ui.mensagens.empty());
    // Texto claro de 71 bytes (linhas com CR LF): 15 blocos, 240 bytes
    EXPECT_EQ(DecodificarBase64(cifrado).size(), 240u);
    // Brancos e quebras de linha em volta são ignorados; o resultado sai sem o CR LF final
    EXPECT_EQ(DecifrarTexto(" \r\n" + cifrado + "\r\n ", pasta.str(), ui),
              "<contribuinte>\r\n<razao_social>Cafe e Cia</razao_social>\r\n</documento>");
    EXPECT_TRUE(ui.mensagens.empty());

    const std::string suporte = "\rContacte o suporte do KOV!";
    struct Caso {
        const char* nome;
        std::function<std::string()> op;
        std::string inicio;
    };
    const std::string quebrado = cifrado.substr(0, 100) + "\r\n" + cifrado.substr(100);
    const Caso casos[] = {
        {"cifra vazia", [&] { return DecifrarTexto("   ", pasta.str(), ui); }, "RSA decoding error: Block too small"},
        {"Base64 com quebra de linha", [&] { return DecifrarTexto(quebrado, pasta.str(), ui); },
         "Invalid Base64 Character"},
        {"pasta sem chaves (decifrar)", [&] { return DecifrarTexto(cifrado, pasta.str() + "/nada", ui); },
         "Arquivo de chave não encontrado: "},
        {"pasta sem chaves (cifrar)", [&] { return CifrarTexto(linhas, pasta.str() + "/nada", ui); },
         "Arquivo de chave não encontrado: "},
    };
    for (const auto& c : casos) {
        ui.mensagens.clear();
        EXPECT_EQ(c.op(), "") << c.nome;
        ASSERT_EQ(ui.mensagens.size(), 1u) << c.nome;
        EXPECT_EQ(ui.mensagens[0].tipo, "erro");
        EXPECT_EQ(ui.mensagens[0].texto.rfind(c.inicio, 0), 0u) << c.nome << ": " << ui.mensagens[0].texto;
        EXPECT_EQ(ui.mensagens[0].texto.substr(ui.mensagens[0].texto.size() - suporte.size()), suporte) << c.nome;
    }
    // Falta só uma das chaves: as duas operações leem as duas a cada chamada
    for (const char* falta : {ARQUIVO_CHAVE_PUBLICA, ARQUIVO_CHAVE_PRIVADA}) {
        teste::PastaTemporaria outra;
        GravarParChavesRSA(par(), outra.str());
        fs::remove(outra.caminho() / falta);
        ui.mensagens.clear();
        EXPECT_EQ(CifrarTexto(linhas, outra.str(), ui), "") << falta;
        EXPECT_EQ(DecifrarTexto(cifrado, outra.str(), ui), "") << falta;
        EXPECT_EQ(ui.mensagens.size(), 2u) << falta;
    }
    // Chave maior que 4097 bytes
    teste::escreverArquivo(pasta.caminho() / ARQUIVO_CHAVE_PRIVADA, std::string(4098, '\x30'));
    ui.mensagens.clear();
    EXPECT_EQ(DecifrarTexto(cifrado, pasta.str(), ui), "");
    ASSERT_EQ(ui.mensagens.size(), 1u);
    EXPECT_EQ(ui.mensagens[0].texto, "Invalid Asymmetric Key" + suporte);
}

TEST(Cifra, DecifracaoPelosPrimosEEmDuasMetadesDaOMesmoResultado) {
    // Blocos quaisquer (inclusive acima do módulo): pelos primos ou pela conta direta, o mesmo
    // texto ou o mesmo erro
    ASSERT_TRUE(DecifraPelosPrimos(par().privada, par().publica));
    for (int i = 0; i < 300; ++i) {
        std::string bloco(16, '\0');
        RAND_bytes(reinterpret_cast<unsigned char*>(bloco.data()), 16);
        if (i == 0) bloco.assign(16, '\xFF');
        std::string direta, primos;
        const std::string e1 = erroDe([&] { direta = DecifrarBytes(bloco, par().privada); });
        const std::string e2 = erroDe([&] { primos = DecifrarBytes(bloco, par().privada, &par().publica); });
        EXPECT_EQ(e1, e2) << i;
        EXPECT_EQ(direta, primos) << i;
    }
    // Texto grande, decifrado em duas metades ao mesmo tempo
    std::string claro;
    for (int i = 0; i < 30000; ++i) claro += static_cast<char>(i * 7);
    std::string cifrado = CifrarBytes(claro, par().publica);
    EXPECT_EQ(DecifrarBytes(cifrado, par().privada, &par().publica), claro);
    // Um bloco ruim em cada metade: vale o erro do primeiro, como na ordem simples
    std::string semSeparador(16, '\x09'), tipoErrado(16, '\x07');
    semSeparador[14] = 0x02;
    semSeparador[15] = 0;
    tipoErrado[14] = 0x05;
    tipoErrado[15] = 0;
    const size_t blocos = cifrado.size() / 16;
    cifrado.replace((blocos - 3) * 16, 16, ExponenciarBloco(tipoErrado, par().publica));
    EXPECT_EQ(erroDe([&] { DecifrarBytes(cifrado, par().privada, &par().publica); }),
              "RSA decoding error: Invalid block type");
    cifrado.replace(5 * 16, 16, ExponenciarBloco(semSeparador, par().publica));
    EXPECT_EQ(erroDe([&] { DecifrarBytes(cifrado, par().privada, &par().publica); }),
              "RSA decoding error: Invalid block format");

    // Pública de outro par, ou um primo maior que 64 bits: a conta direta, com o mesmo resultado
    BN_CTX* ctx = BN_CTX_new();
    BIGNUM *p = BN_new(), *q = BN_new(), *n = BN_new(), *e = BN_new(), *phi = BN_new(), *d = nullptr;
    BN_set_word(e, 65537);
    do {
        BN_generate_prime_ex(p, 44, 0, nullptr, nullptr, nullptr);
        BN_generate_prime_ex(q, 84, 0, nullptr, nullptr, nullptr);
        BN_mul(n, p, q, ctx);
        BN_sub_word(p, 1);
        BN_sub_word(q, 1);
        BN_mul(phi, p, q, ctx);
        BN_free(d);
        d = BN_mod_inverse(nullptr, e, phi, ctx);
    } while (BN_num_bits(n) != 128 || !d);
    auto be = [](const BIGNUM* b) {
        std::string s(static_cast<size_t>(BN_num_bytes(b)), '\0');
        BN_bn2bin(b, reinterpret_cast<unsigned char*>(s.data()));
        return s;
    };
    const ChaveRSA publica{be(n), be(e)}, privada{be(n), be(d)};
    EXPECT_FALSE(DecifraPelosPrimos(privada, publica));
    EXPECT_FALSE(DecifraPelosPrimos(par().privada, publica));
    const std::string texto = "desequilibrada: 44 e 84 bits";
    EXPECT_EQ(DecifrarBytes(CifrarBytes(texto, publica), privada, &publica), texto);
    EXPECT_EQ(DecifrarBytes(CifrarBytes(texto, par().publica), par().privada, &publica), texto);
    for (BIGNUM* b : {p, q, n, e, phi, d}) BN_free(b);
    BN_CTX_free(ctx);
}
