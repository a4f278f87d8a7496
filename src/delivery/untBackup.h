#pragma once
// Cópia de segurança e restauração: da base inteira (um ZIP com o arquivo KOV.GDB) e de
// declarações escolhidas (um ZIP com os arquivos de declaração cifrados). A tela TscrBackup e
// o kov-cli chamam estas rotinas; a conversa com o usuário passa pela Interacao.
//
// A base viva nunca é apagada nem trocada antes de a substituta estar completa e abrir: a
// cópia vem de uma imagem consistente do arquivo (trava de cópia física do Firebird), e a
// restauração reconstrói o arquivo extraído na pasta de trabalho antes de pô-lo no lugar.
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kov {

class Interacao;
class Tdm;
namespace fb { class Conexao; }

extern const char* const MSG_ERRO_COMPACTACAO;      // "Erro durante o processo de compactação de arquivo! ..."
extern const char* const MSG_DADOS_NAO_ENCONTRADO;  // "Arquivo de dados não encontrado"
extern const char* const MSG_ZIP_NAO_ENCONTRADO;    // "Erro - nenhum arquivo do tipo Compactado (.ZIP) encontrado!"
extern const char* const MSG_NADA_A_RESTAURAR;      // "Não existe declaração a ser restaurada!"
extern const char* const MSG_RESTAURACAO_FINALIZADA;  // "Restauração Finalizada"
extern const char* const MSG_BASE_RESTAURADA;       // "BACKUP RESTAURADO COM SUCESSO.\n\rO sistema será FINALIZADO..."
extern const char* const MSG_CONFIRMA_RESTAURACAO;  // "ATENÇÃO:\r\nEsta operação não pode ser desfeita, ..."

// Pasta padrão das cópias: pasta do programa + "../backup/", normalizada, com barra final.
std::string PastaBackupPadrao(const std::string& dirPrograma);

// "ddmmaaaa" e "hhmmss" do momento.
std::string TextoDataBackup(const std::tm& m);
std::string TextoHoraBackup(const std::tm& m);
// pasta + "BKP_KOV_BNC" + data + "h" + hora + ".ZIP"
std::string NomeArquivoBackupBase(const std::string& pasta, const std::tm& m);
// pasta + "BKP_KOV_DEC" + data + hora + ".ZIP"; com 'outroNome', "_BNC" no lugar de "_DEC".
std::string NomeArquivoBackupDeclaracoes(const std::string& pasta, const std::tm& m, bool outroNome = false);
// O comentário do ZIP da base, com as linhas terminadas em "\n\r".
std::string ComentarioBackupBase(const std::string& versaoSistema, const std::tm& m);
// O momento gravado no nome de um ZIP da base (BKP_KOV_BNC<ddmmaaaa>h<hhmmss>.ZIP), ou nada
// quando o nome não segue o padrão.
std::optional<std::tm> MomentoDoNomeBackupBase(const std::string& nomeArquivo);

// A linha da página de seleção de uma chave de escolha: inscrição formatada, " de " mês
// inicial, " a " mês final, "/" ano, " - " chave (colunas 35-44).
std::string LinhaPaginaBackup(const std::string& chaveEscolha);
// A chave de escolha (32 caracteres) da declaração, ou nada quando ela não existe.
std::optional<std::string> ChaveEscolhaDaDeclaracao(fb::Conexao& c, int documentoId);

// Caminhos da restauração, todos na pasta da base viva.
struct CaminhosRestauracao {
    std::string base;        // a base viva
    std::string seguranca;   // "bkpOriginalKOV.GDB"
    std::string trabalho;    // "TEMP"
    std::string copiaZip;    // trabalho + "/bkp.zip"
    std::string extraida;    // trabalho + "/KOV.GDB"
};
CaminhosRestauracao CaminhosDaRestauracao(const std::string& baseViva);

// O que [BACKUP] do KOV.ini pede para a cópia automática ao fechar.
struct ConfigBackupAutomatico {
    int dias = 7;     // 0 desliga
    int manter = 10;  // cópias da base guardadas na pasta padrão
};
ConfigBackupAutomatico LerConfigBackupAutomatico(const std::string& arquivoIni);

// Como terminou o "Executar" da restauração da base.
enum class FimRestauracao {
    NaoRestaurada,  // nada trocado; a tela continua
    Restaurada,     // mensagem de sucesso mostrada; o programa termina
    SemConexao,     // base trocada, mas a conexão não abriu: mensagens mostradas; o programa termina
};

class TBackup {
public:
    TBackup(Tdm& dm, Interacao& ui);

    // Relógio das datas dos nomes e do comentário (os testes fixam um momento).
    std::function<std::tm()> agora;

    // Cópia da base no ZIP da pasta. Devolve o caminho do ZIP gravado, ou vazio quando nada
    // foi gravado (recusado, cancelado ou falha: as mensagens foram mostradas). 'automatica'
    // não pergunta nada e não mostra a mensagem de sucesso.
    std::string GerarBackupBase(const std::string& pastaBackup, bool automatica = false);

    // A restauração da base (pergunta, cópia de segurança, extração, reconstrução e troca).
    // Verdadeiro quando a base restaurada está no lugar.
    bool RestaurarBase(const std::string& arquivoZip);
    // "Executar": fecha a conexão, restaura, reabre, atualiza a versão da base e mostra o fim.
    FimRestauracao ExecutarRestauracao(const std::string& arquivoZip);

    // Cópia das declarações das chaves de escolha no ZIP da pasta. Caminho do ZIP gravado, ou
    // vazio. Um erro do escritor para a cópia com a caixa de erro; os arquivos já escritos
    // ficam na pasta de trabalho e entram na próxima cópia.
    std::string GerarBackupDeclaracoes(const std::vector<std::string>& chavesEscolha, const std::string& pastaBackup);
    // Pasta de trabalho da cópia de declarações (pasta do programa + "../~tmp/").
    std::string PastaTrabalhoDeclaracoes() const;

    // Extrai o ZIP de declarações na pasta de trabalho da restauração e devolve os nomes dos
    // arquivos ".xml" que ela tem. Sem nenhum: a informação e Abortar.
    std::vector<std::string> AbrirBackupDeclaracoes(const std::string& arquivoZip);
    // Restaura os arquivos marcados (posição na lista contada de 1, nome). Os erros que o leitor
    // lança sobem e param o laço; os que ele mesmo mostra deixam seguir.
    void RestaurarDeclaracoes(const std::vector<std::pair<int, std::string>>& marcados);
    // Pasta de trabalho da restauração (pasta do programa + "temp/tempdec/").
    std::string PastaRestauracaoDeclaracoes() const;
    // Ao fechar a tela: esvazia e remove a pasta de trabalho da restauração.
    void LimparRestauracaoDeclaracoes();

    // Cópia automática ao fechar o programa: quando a base é um arquivo deste computador,
    // [BACKUP] Dias não é 0 e a cópia mais nova da pasta padrão tem essa idade ou mais, gera
    // uma e apaga as mais velhas além de [BACKUP] Manter. Nunca lança; uma falha é dita.
    // Devolve o ZIP gravado ou vazio.
    std::string BackupAutomatico();

private:
    std::string arquivoBaseLocal() const;
    void copiarBaseConsistente(const std::string& base, const std::string& destino);
    bool trocarBase(const CaminhosRestauracao& c, const std::string& arquivoZip);
    std::string gravarZipDeclaracoes(const std::string& pastaBackup);

    Tdm& dm_;
    Interacao& ui_;
};

}  // namespace kov
