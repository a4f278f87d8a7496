#pragma once
// A entrega: as declarações escolhidas viram arquivos de declaração na pasta temporária do
// programa, cada uma consistida antes; na transmissão os arquivos vão para o transmissor da
// administração (ENVIAX.EXE), que devolve o protocolo dentro de cada arquivo; na gravação são
// copiados para a pasta escolhida. As entregas feitas vão para TRANSMISSAO numa transação, com
// o recibo em texto. Uma declaração só conta como entregue pelas linhas gravadas aqui.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Relogio.h"

namespace kov {

class Interacao;
class Tdm;

enum class ModoEntrega { Transmissao = 0, Gravacao = 1 };

// Legenda da janela e rótulo do modo.
const char* LegendaEntrega(ModoEntrega modo);

// O que a tela de entrega mostra enquanto a execução anda.
class PainelEntrega {
public:
    virtual ~PainelEntrega() = default;
    virtual void contagem(const std::string& texto) {}
    // Um passo novo, na linha 'numero' (1 a 9).
    virtual void passo(int numero, const std::string& texto) {}
    // O passo terminou: a linha inteira com " ok." ou " falhou.".
    virtual void marcado(int numero, const std::string& linha, bool ok) {}
    // Uma linha de aviso na lista dos passos, sem marca (o relógio).
    virtual void nota(const std::string& texto) {}
    virtual void progresso(int valor, int maximo) {}
    // A linha do resultado, em vermelho quando falhou.
    virtual void resultado(const std::string& texto, bool falhou) {}
    virtual void ocupado(bool sim) {}
    // Chamado enquanto o transmissor roda, para a tela se redesenhar.
    virtual void processarEventos() {}
};

// --- Regras puras -------------------------------------------------------------------------

// A entrada montada (32 caracteres) da chave de escolha: inscrição, ano, mês final, mês
// inicial, indicador e chave da declaração (posições 1-13, 18-21, 16-17, 14-15, 32 e 22-31).
std::string EntradaMontada(const std::string& chaveEscolha);
// A chave da declaração (posições 23-32 da entrada montada).
int DocumentoDaEntrada(const std::string& entrada);

// O horário de verão de um ano Y: até o sábado entre 7 e 13 de fevereiro de Y, inclusive, e
// a partir do domingo entre 15 e 21 de outubro de Y.
bool NoHorarioVerao(const std::chrono::year_month_day& data);
// O momento a que o relógio volta quando a data de hoje deixou de ser a lembrada antes da
// transmissão: a data lembrada com o minuto e o segundo de agora e a hora de agora, menos
// uma quando a data lembrada está no horário de verão e hoje não, mais uma no caso contrário.
// Uma hora que sai do dia (-1 ou 24) passa para o dia vizinho. Nada quando a data não mudou.
std::optional<DataHoraLocal> MomentoRestauracaoRelogio(const std::chrono::year_month_day& lembrada,
                                                        const DataHoraLocal& agora);

// O protocolo que o transmissor escreveu no arquivo devolvido.
struct ProtocoloDevolvido {
    std::string numero, data, hora;  // como estão no arquivo
};
// Nada quando o arquivo não existe, não pode ser lido como XML ou tem o número em branco.
std::optional<ProtocoloDevolvido> LerProtocoloDevolvido(const std::string& caminho);

// O caminho do transmissor no KOV.ini (seção ENVIAX, chave Caminho) + "ENVIAX.EXE"; vazio
// quando o arquivo ou o valor faltam. Barras invertidas valem como separador; um caminho
// relativo é tomado a partir da pasta do programa.
std::string CaminhoTransmissor(const std::string& arquivoIni, const std::string& pastaPrograma);

// O nome de cada município (CODDRUMUNICIPIO) das tabelas de referência, abertas se preciso,
// para as linhas de outras entradas do recibo.
std::map<int, std::string> NomesMunicipios(Tdm& dm);

// --- A execução ---------------------------------------------------------------------------

class ExecucaoEntrega {
public:
    ExecucaoEntrega(Tdm& dm, ModoEntrega modo, PainelEntrega& painel, Relogio& relogio);

    ModoEntrega modo() const { return modo_; }

    // Depois da escolha: a pergunta de confirmação e a lista escolhida gravada em
    // ../BD/Declaracoes. Falso quando o usuário não confirmou. Uma falha ao gravar a lista
    // lança ErroSistema("Não foi possível salvar o arquivo.").
    bool confirmar(const std::vector<std::string>& chavesEscolha);
    // A execução inteira, uma vez: montar, transmitir ou gravar, acertar o relógio, atualizar
    // a base, finalizar; a pasta temporária esvaziada sempre; o resultado e as mensagens
    // finais. Verdadeiro quando a entrega foi feita.
    bool executar();
    // Depois de a tela fechar: apaga a lista gravada. Falha: ErroSistema("Não foi possível apagar o arquivo.").
    void encerrar();

    // Os arquivos devolvidos sem protocolo (transmissão).
    const std::vector<std::string>& naoEnviados() const { return naoEnviados_; }
    // As linhas dos passos como terminaram.
    const std::vector<std::string>& linhas() const { return linhas_; }
    const std::string& pastaTemporaria() const { return temp_; }
    std::string arquivoLista() const;

private:
    struct Montada {
        std::string entrada;  // os 32 caracteres
        std::string caminho;
        std::optional<ProtocoloDevolvido> protocolo;
    };

    void iniciarPasso(const std::string& texto);
    void marcarPasso(bool ok);
    void montarArquivos();
    bool transmitir();
    bool gravar();
    void acertarRelogio(const std::chrono::year_month_day& lembrada);
    void atualizarBase();
    void esvaziarTemporaria();

    Tdm& dm_;
    Interacao& ui_;
    ModoEntrega modo_;
    PainelEntrega& painel_;
    Relogio& relogio_;
    std::string temp_;
    bool sucesso_ = true;
    bool executada_ = false;
    int contador_ = 0;
    bool passoAberto_ = false;
    std::vector<std::string> chaves_;
    std::vector<Montada> montadas_;
    std::vector<std::string> naoEnviados_;
    std::vector<std::string> linhas_;
};

extern const char* const MSG_OPERACAO_NAO_EFETUADA;  // "Operação não efetuada!"

}  // namespace kov
