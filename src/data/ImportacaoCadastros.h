#pragma once
// Importação em lote dos cadastros a partir de planilhas CSV, para o contador que traz a
// sua carteira de clientes para o programa.
//
// Arquivo: primeira linha com os nomes das colunas (sem distinguir maiúsculas), campos
// separados por ";", campos entre aspas duplas podem conter ";" e quebras de linha ("" é
// uma aspa). Cada linha passa pelas mesmas verificações da tela e é gravada inteira ou
// recusada inteira; as perguntas da tela (DDD ou telefone vazios) são respondidas "Sim".
// As colunas aceitas estão no README e na ajuda do kov-cli.
//
// O arquivo é lido em fluxo, um registro de cada vez: a memória usada depende do maior
// registro (limitado a LIMITE_REGISTRO_CSV), não do tamanho do arquivo.
//
// Codificação: decidida registro a registro. Um registro que é UTF-8 válido fica como está;
// senão o registro inteiro é lido como Windows-1252. Uma planilha em Windows-1252 quase
// nunca forma UTF-8 válido nos registros com acentos (seria preciso uma letra acentuada
// maiúscula seguida de um símbolo como "©"), e os registros só com ASCII são iguais nas
// duas; decidir por registro também acerta arquivos emendados de fontes diferentes e não
// obriga a ler o arquivo duas vezes. O BOM de UTF-8 no começo é descartado.
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/Registros.h"
#include "platform/Interacao.h"

namespace kov {

namespace fb { class Conexao; }

// Problema do arquivo como um todo (não existe, cabeçalho inválido): nada é importado.
class ErroArquivoCSV : public ErroSistema {
public:
    using ErroSistema::ErroSistema;
};

// Registros maiores do que isto (em bytes) são recusados sem guardar os seus campos: uma
// linha de cadastro tem poucas centenas de caracteres, e um arquivo corrompido (uma aspa
// sem par, um arquivo binário) não pode levar a memória junto.
constexpr size_t LIMITE_REGISTRO_CSV = 64 * 1024;

// Um registro do CSV: as linhas do arquivo em que começa e termina e os seus campos, sem
// as aspas, já em UTF-8.
struct RegistroCSV {
    int linha = 0;
    int linhaFinal = 0;
    std::vector<std::string> campos;
    bool aspasAbertas = false;  // o arquivo terminou dentro de um campo entre aspas
    bool longoDemais = false;   // passou de LIMITE_REGISTRO_CSV: 'campos' fica vazio
};

// Lê os registros de um fluxo, um de cada vez. Linhas em branco viram registros com um
// campo vazio.
class LeitorCSV {
public:
    explicit LeitorCSV(std::unique_ptr<std::istream> entrada);
    // Falso no fim do arquivo. Lança ErroArquivoCSV quando a leitura falha no meio.
    bool proximo(RegistroCSV& r);

private:
    int espiar();
    int lerByte();

    std::unique_ptr<std::istream> in_;
    std::vector<char> buf_;
    size_t pos_ = 0, fim_ = 0;
    int linha_ = 1;
};

enum class TipoCadastro { Contribuintes, Responsaveis };

// Planilha aberta: o cabeçalho já conferido e os registros de dados a ler em sequência.
class PlanilhaCadastro {
public:
    PlanilhaCadastro(std::unique_ptr<std::istream> entrada, TipoCadastro tipo);
    TipoCadastro tipo() const { return tipo_; }
    // Nome canônico da coluna → posição no registro.
    const std::map<std::string, size_t>& colunas() const { return coluna_; }
    // Última linha do cabeçalho no arquivo.
    int linhaCabecalho() const { return linhaCabecalho_; }
    // Próximo registro de dados, pulando as linhas em branco. Falso no fim.
    bool proximo(RegistroCSV& r);

private:
    void lerCabecalho();

    LeitorCSV leitor_;
    TipoCadastro tipo_;
    std::map<std::string, size_t> coluna_;
    int linhaCabecalho_ = 0;
};

// Abre o arquivo e confere o cabeçalho (colunas conhecidas, sem repetição, as obrigatórias
// presentes). Lança ErroArquivoCSV quando o arquivo não existe, não pode ser lido ou o
// cabeçalho não serve.
PlanilhaCadastro AbrirPlanilha(const std::string& caminho, TipoCadastro tipo);
// O mesmo sobre um texto em memória.
PlanilhaCadastro LerPlanilha(const std::string& texto, TipoCadastro tipo);

// Recusa de uma linha de dados: o texto vem depois de "Linha N: " na mensagem.
class LinhaRecusada : public ErroSistema {
public:
    using ErroSistema::ErroSistema;
};

// O formato de uma linha de dados: aspas fechadas, tamanho dentro do limite e nenhum campo
// preenchido além das colunas do cabeçalho. Lança LinhaRecusada.
void ConferirLinhaPlanilha(const PlanilhaCadastro& p, const RegistroCSV& r);

// Os códigos e nomes em que a planilha pode dar o nome no lugar do código.
struct DescricaoCodigo {
    int codigo;
    std::string texto;
};
struct TabelasCadastro {
    std::vector<DescricaoCodigo> municipios, tipos, responsaveis;
};

// O contribuinte de uma linha de dados, antes das verificações da gravação: campos sem as
// máscaras, nomes trocados pelos códigos (sem distinguir maiúsculas; um nome ambíguo ou
// desconhecido lança LinhaRecusada) e o desmembramento separado do código de 9 dígitos.
Contribuinte ContribuinteDaLinha(const PlanilhaCadastro& p, const RegistroCSV& r, const TabelasCadastro& tabelas);

struct ResultadoImportacao {
    int importados = 0;       // linhas gravadas e confirmadas na base
    int recusados = 0;
    bool interrompida = false;  // o pedido de parada chegou antes do fim do arquivo
    int ultimaLinha = 0;      // última linha do arquivo lida e tratada
};

// Consultado antes de cada linha: verdadeiro para parar (o kov-cli liga quando recebe
// SIGINT ou SIGTERM). A linha em andamento termina inteira.
using PedidoParada = std::function<bool()>;

// Falha da base que impede continuar (conexão perdida, confirmação recusada). 'resultado'
// traz o que ficou confirmado; as linhas aceitas depois da última confirmação não ficaram.
class ErroImportacao : public ErroSistema {
public:
    ErroImportacao(const std::string& texto, const ResultadoImportacao& r) : ErroSistema(texto), resultado(r) {}
    ResultadoImportacao resultado;
};

// Linhas gravadas a cada confirmação. Cada linha é gravada sob um ponto de salvamento
// (inteira ou ausente) numa transação confirmada a cada LINHAS_POR_LOTE linhas: confirmar
// cada linha custa uma escrita forçada no disco por linha.
constexpr int LINHAS_POR_LOTE = 500;

// Grava cada linha aceita; cada linha recusada é informada pela Interacao com o texto
// "Linha N: " seguido da mensagem da tela. Quando 'parar' pede, confirma as linhas já
// gravadas e devolve com 'interrompida'. Falhas da base que impedem seguir: ErroImportacao.
ResultadoImportacao ImportarContribuintes(fb::Conexao& c, PlanilhaCadastro& p, Interacao& ui,
                                          const PedidoParada& parar = {});
ResultadoImportacao ImportarResponsaveis(fb::Conexao& c, PlanilhaCadastro& p, Interacao& ui,
                                         const PedidoParada& parar = {});

// "N importados, M recusados" (no singular quando é 1).
std::string ResumoImportacao(const ResultadoImportacao& r);
// "Importação interrompida na linha N: ..." com as contagens, para o fim por pedido de parada.
std::string MensagemInterrupcao(const ResultadoImportacao& r);

}  // namespace kov
