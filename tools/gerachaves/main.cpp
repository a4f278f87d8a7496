// gerachaves: gera um par de chaves RSA de 128 bits no formato dos arquivos PublicKey.dat e
// PrivateKey.dat, para desenvolvimento e testes. Uma instalação real usa as chaves da
// administração, que decifra os arquivos gravados; um arquivo cifrado com um par gerado
// aqui só é lido por quem tem o PrivateKey.dat deste par.
#include <filesystem>
#include <iostream>
#include <string>

#include "files/CifraRSA.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const std::string uso = "Uso: gerachaves PASTA [--sobrescrever]\n"
                            "Grava PublicKey.dat e PrivateKey.dat na PASTA (recusa sobrescrever chaves existentes).\n";
    if (argc < 2 || argc > 3 || std::string(argv[1]) == "--help" ||
        (argc == 3 && std::string(argv[2]) != "--sobrescrever")) {
        (argc >= 2 && std::string(argv[1]) == "--help" ? std::cout : std::cerr) << uso;
        return argc >= 2 && std::string(argv[1]) == "--help" ? 0 : 2;
    }
    const fs::path pasta = argv[1];
    const bool sobrescrever = argc == 3;
    try {
        fs::create_directories(pasta);
        for (const char* nome : {kov::ARQUIVO_CHAVE_PUBLICA, kov::ARQUIVO_CHAVE_PRIVADA}) {
            if (!sobrescrever && fs::exists(pasta / nome)) {
                std::cerr << "Já existe " << (pasta / nome).string() << "; use --sobrescrever para trocar o par.\n";
                return 1;
            }
        }
        kov::GravarParChavesRSA(kov::GerarParChavesRSA(), pasta.string());
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::cout << "Par de chaves gravado em " << pasta.string() << "\n";
    return 0;
}
