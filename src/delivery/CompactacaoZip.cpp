#include "delivery/CompactacaoZip.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/GravacaoSegura.h"

namespace fs = std::filesystem;

namespace kov {

namespace {

constexpr std::uint64_t DOIS_GIB = 2ull << 30;

std::string textoErroAbertura(int codigo) {
    zip_error_t ze;
    zip_error_init_with_code(&ze, codigo);
    std::string texto = zip_error_strerror(&ze);
    zip_error_fini(&ze);
    return texto;
}

// Abre para leitura, conferindo a consistência do diretório central (pega arquivos truncados).
std::unique_ptr<zip_t, decltype(&zip_discard)> abrirLeitura(const std::string& arquivo) {
    int erro = 0;
    zip_t* z = zip_open(arquivo.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &erro);
    if (!z) {
        if (erro == ZIP_ER_NOZIP || erro == ZIP_ER_INCONS)
            throw ErroZip("o arquivo " + arquivo + " não é um arquivo compactado (.ZIP) íntegro");
        throw ErroZip("não foi possível abrir " + arquivo + ": " + textoErroAbertura(erro));
    }
    return {z, &zip_discard};
}

// Último componente do nome da entrada, com "\" também como separador; vazio quando não serve
// de nome de arquivo.
std::string nomeSemPastas(std::string nome) {
    std::replace(nome.begin(), nome.end(), '\\', '/');
    const auto p = nome.find_last_of('/');
    if (p != std::string::npos) nome = nome.substr(p + 1);
    if (nome == "." || nome == "..") return {};
    return nome;
}

bool ehLink(zip_t* z, zip_uint64_t i) {
    zip_uint8_t sistema = 0;
    zip_uint32_t atributos = 0;
    if (zip_file_get_external_attributes(z, i, 0, &sistema, &atributos) != 0) return false;
    return sistema == ZIP_OPSYS_UNIX && ((atributos >> 16) & S_IFMT) == S_IFLNK;
}

struct EstadoAndamento {
    const AndamentoZip* andamento;
    std::uint64_t total;
};

void avisarAndamento(zip_t*, double fracao, void* ud) {
    auto* e = static_cast<EstadoAndamento*>(ud);
    if (e->andamento && *e->andamento) (*e->andamento)(static_cast<std::uint64_t>(fracao * e->total), e->total);
}

}  // namespace

std::uint64_t LimiteExpansao(std::uint64_t tamanhoArquivo, std::uint64_t minimo) {
    const std::uint64_t proporcional = std::max(tamanhoArquivo * 100, minimo);
    return std::min(proporcional, DOIS_GIB);
}

int GravarZip(const std::string& arquivoZip, const std::vector<std::pair<std::string, std::string>>& arquivos,
              const std::string& comentario, const AndamentoZip& andamento) {
    int erro = 0;
    zip_t* z = zip_open(arquivoZip.c_str(), ZIP_CREATE, &erro);
    if (!z) throw ErroZip("não foi possível abrir " + arquivoZip + ": " + textoErroAbertura(erro));
    std::unique_ptr<zip_t, decltype(&zip_discard)> guarda(z, &zip_discard);
    EstadoAndamento estado{&andamento, 0};
    for (const auto& [caminho, nome] : arquivos) {
        std::error_code ec;
        estado.total += fs::file_size(caminho, ec);
        zip_source_t* fonte = zip_source_file(z, caminho.c_str(), 0, -1);
        if (!fonte) throw ErroZip("não foi possível ler " + caminho + ": " + zip_strerror(z));
        if (zip_file_add(z, nome.c_str(), fonte, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(fonte);
            throw ErroZip("não foi possível acrescentar " + nome + ": " + zip_strerror(z));
        }
    }
    if (!comentario.empty() &&
        zip_set_archive_comment(z, comentario.data(), static_cast<zip_uint16_t>(comentario.size())) != 0)
        throw ErroZip(std::string("comentário recusado: ") + zip_strerror(z));
    if (andamento) zip_register_progress_callback_with_state(z, 0.01, avisarAndamento, nullptr, &estado);
    // A biblioteca grava num arquivo temporário ao lado e só no fim troca o nome: uma falha
    // deixa o arquivo antigo intacto
    if (zip_close(z) != 0) {
        const std::string motivo = zip_strerror(z);
        throw ErroZip("não foi possível gravar " + arquivoZip + ": " + motivo);
    }
    guarda.release();
    // A biblioteca não força o arquivo para o disco: sem isto, uma falta de energia logo depois
    // da mensagem de sucesso podia deixar a cópia vazia com o nome final
    try {
        SincronizarArquivo(arquivoZip);
        SincronizarPasta(fs::path(arquivoZip).parent_path().empty() ? std::string(".")
                                                                    : fs::path(arquivoZip).parent_path().string());
    } catch (const std::system_error& e) {
        throw ErroZip("não foi possível gravar " + arquivoZip + ": " + e.what());
    }
    return static_cast<int>(arquivos.size());
}

std::string ComentarioZip(const std::string& arquivo) {
    auto z = abrirLeitura(arquivo);
    int tamanho = 0;
    const char* c = zip_get_archive_comment(z.get(), &tamanho, ZIP_FL_ENC_RAW);
    return c ? std::string(c, static_cast<size_t>(tamanho)) : std::string();
}

std::int64_t EntradasZip(const std::string& arquivo) { return zip_get_num_entries(abrirLeitura(arquivo).get(), 0); }

std::vector<std::string> ExtrairZip(const std::string& arquivo, const std::string& pasta, std::uint64_t limite,
                                    const AndamentoZip& andamento) {
    auto z = abrirLeitura(arquivo);
    const zip_int64_t n = zip_get_num_entries(z.get(), 0);

    // O que as entradas dizem que vão ocupar, conferido antes de escrever qualquer byte
    struct Entrada {
        zip_uint64_t indice;
        std::string nome;
        std::uint64_t tamanho;
    };
    std::vector<Entrada> entradas;
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < n; ++i) {
        const auto idx = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(z.get(), idx, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
            throw ErroZip(std::string("entrada ilegível: ") + zip_strerror(z.get()));
        const std::string nome = nomeSemPastas(st.name);
        if (nome.empty() || ehLink(z.get(), idx)) continue;
        const std::uint64_t tamanho = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        total += tamanho;
        if (total > limite) throw ErroZip("o conteúdo do arquivo " + arquivo + " passa do limite de expansão");
        entradas.push_back({idx, nome, tamanho});
    }
    struct statvfs sv {};
    if (::statvfs(pasta.c_str(), &sv) == 0 && total > static_cast<std::uint64_t>(sv.f_bavail) * sv.f_frsize)
        throw ErroZip("não há espaço livre em " + pasta + " para extrair " + arquivo);

    std::vector<std::string> escritos;
    std::uint64_t feito = 0;
    std::vector<char> buf(1 << 16);
    for (const auto& e : entradas) {
        const std::string destino = (fs::path(pasta) / e.nome).string();
        std::unique_ptr<zip_file_t, decltype(&zip_fclose)> f(zip_fopen_index(z.get(), e.indice, 0), &zip_fclose);
        if (!f) throw ErroZip("entrada " + e.nome + " ilegível: " + zip_strerror(z.get()));
        // O temporário tem um nome que nada na pasta tem (criado com exclusividade): um nome
        // fixo podia ser o de uma entrada já extraída, que seria apagada no lugar dele
        std::string temporario = (fs::path(pasta) / ".extraindo-XXXXXX").string();
        const int fd = ::mkostemp(temporario.data(), O_CLOEXEC);
        if (fd < 0) throw ErroZip("não foi possível criar um arquivo em " + pasta + ": " + DescreverErroSistema(errno));
        ::fchmod(fd, 0644);
        std::string falha;
        std::uint64_t daEntrada = 0;
        for (;;) {
            const zip_int64_t lidos = zip_fread(f.get(), buf.data(), buf.size());
            if (lidos < 0) {
                falha = "entrada " + e.nome + " corrompida ou truncada: " + zip_file_strerror(f.get());
                break;
            }
            if (lidos == 0) break;
            daEntrada += static_cast<std::uint64_t>(lidos);
            // O tamanho declarado pode mentir: conta o que de fato sai
            if (daEntrada > e.tamanho || feito + daEntrada > limite) {
                falha = "o conteúdo do arquivo " + arquivo + " passa do limite de expansão";
                break;
            }
            const char* p = buf.data();
            zip_int64_t resta = lidos;
            while (resta > 0) {
                const ssize_t w = ::write(fd, p, static_cast<size_t>(resta));
                if (w < 0) {
                    if (errno == EINTR) continue;
                    falha = "não foi possível gravar " + destino + ": " + DescreverErroSistema(errno);
                    break;
                }
                p += w;
                resta -= w;
            }
            if (!falha.empty()) break;
            if (andamento) andamento(feito + daEntrada, total);
        }
        if (falha.empty() && ::fsync(fd) != 0) falha = "não foi possível gravar " + destino + ": " + DescreverErroSistema(errno);
        if (::close(fd) != 0 && falha.empty())
            falha = "não foi possível gravar " + destino + ": " + DescreverErroSistema(errno);
        // A troca de nome substitui um link que esteja no lugar em vez de segui-lo
        if (falha.empty() && ::rename(temporario.c_str(), destino.c_str()) != 0)
            falha = "não foi possível gravar " + destino + ": " + DescreverErroSistema(errno);
        if (!falha.empty()) {
            ::unlink(temporario.c_str());
            throw ErroZip(falha);
        }
        feito += daEntrada;
        if (std::find(escritos.begin(), escritos.end(), e.nome) == escritos.end()) escritos.push_back(e.nome);
    }
    return escritos;
}

}  // namespace kov
