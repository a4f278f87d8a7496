#pragma once
// Arquivos ZIP das cópias de segurança: gravar entradas com o comentário e o andamento, e
// extrair todas as entradas numa pasta só, sem as pastas dos nomes. A extração recebe arquivos
// que podem vir de qualquer lugar: nada é escrito fora da pasta de destino (nomes com "..",
// caminhos absolutos e links simbólicos), e um arquivo que não é ZIP, está truncado ou se
// expande além do limite é recusado.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kov {

// Andamento: bytes feitos e o total.
using AndamentoZip = std::function<void(std::uint64_t feito, std::uint64_t total)>;

// Falha de um arquivo ZIP (não é ZIP, truncado, expansão excessiva, entrada ilegível); o texto
// diz o motivo para quem quiser mostrá-lo junto da mensagem do sistema.
class ErroZip : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Limite da expansão de um arquivo de 'tamanhoArquivo' bytes: 100 vezes o seu tamanho, nunca
// acima de 2 GiB; 'minimo' garante folga a arquivos muito pequenos.
std::uint64_t LimiteExpansao(std::uint64_t tamanhoArquivo, std::uint64_t minimo = 64ull << 20);

// Acrescenta os arquivos (caminho no disco, nome da entrada) ao ZIP, criando-o quando não
// existe; uma entrada de mesmo nome é trocada e as demais ficam. O comentário, quando não vazio,
// substitui o do arquivo. O ZIP novo só toma o lugar do antigo quando está completo; numa
// falha (disco cheio, arquivo ilegível) o antigo fica como estava, ou nenhum aparece. Lança
// ErroZip. Devolve o número de arquivos acrescentados.
int GravarZip(const std::string& zip, const std::vector<std::pair<std::string, std::string>>& arquivos,
              const std::string& comentario, const AndamentoZip& andamento = {});

// O comentário do arquivo ZIP (vazio quando não tem). Lança ErroZip se não é um ZIP legível.
std::string ComentarioZip(const std::string& zip);

// Extrai todas as entradas comuns do ZIP em 'pasta' (que precisa existir) pelo último
// componente do nome, trocando arquivos de mesmo nome. Pastas, links simbólicos e nomes vazios,
// "." ou ".." são ignorados; um link já existente na pasta é trocado por um arquivo, nunca
// seguido. Antes de escrever confere que o ZIP abre e que a soma dos tamanhos não passa de
// 'limite' bytes; durante a extração confere os bytes de fato escritos e o CRC de cada entrada.
// Lança ErroZip; o que já foi extraído de uma entrada incompleta é apagado. Devolve os nomes
// escritos, na ordem do ZIP.
std::vector<std::string> ExtrairZip(const std::string& zip, const std::string& pasta, std::uint64_t limite,
                                    const AndamentoZip& andamento = {});

// Número de entradas do ZIP; lança ErroZip quando não é um ZIP legível.
std::int64_t EntradasZip(const std::string& zip);

}  // namespace kov
