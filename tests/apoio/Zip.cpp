#include "apoio/Zip.h"

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "apoio/BaseTeste.h"

namespace kov::teste {

void criarZip(const std::string& arquivo, const std::vector<std::pair<std::string, std::string>>& entradas) {
    if (entradas.empty()) {
        // ZIP sem entradas: só o registro de fim do diretório central
        const std::string vazio = std::string("PK\x05\x06", 4) + std::string(18, '\0');
        escreverArquivo(arquivo, vazio);
        return;
    }
    int erro = 0;
    zip_t* z = zip_open(arquivo.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
    if (!z) throw std::runtime_error("não foi possível criar " + arquivo);
    for (const auto& [nome, conteudo] : entradas) {
        void* copia = malloc(conteudo.size() ? conteudo.size() : 1);
        memcpy(copia, conteudo.data(), conteudo.size());
        zip_source_t* src = zip_source_buffer(z, copia, conteudo.size(), 1);
        if (!src || zip_file_add(z, nome.c_str(), src, ZIP_FL_OVERWRITE) < 0) {
            zip_discard(z);
            throw std::runtime_error("não foi possível acrescentar " + nome);
        }
    }
    if (zip_close(z) != 0) throw std::runtime_error("não foi possível gravar " + arquivo);
}

}  // namespace kov::teste
