#pragma once
// Rotinas auxiliares compartilhadas: pastas do programa, arquivo de configuração,
// preenchimento de textos, inscrição estadual, datas, nomes de meses e busca em XML.
// No Linux o separador de pastas é "/"; barras invertidas vindas de arquivos e da
// configuração são aceitas e tratadas como separador.
#include <chrono>
#include <string>

struct _xmlNode;

namespace kov {

class Interacao;
struct TConfigApp;

std::string VersaoSistema(const TConfigApp& c);   // Versao + Release
std::string TituloSistema(const TConfigApp& c);   // "PRELO - Versão " + VersaoSistema

std::string DiretorioAplicacao();       // pasta do executável, com barra final
std::string DiretorioTempAplicacao();   // DiretorioAplicacao() + "temp/" (não cria)
// DiretorioAplicacao() + "temp/", criada com as pastas que faltarem. No Windows "Temp\" e
// "temp\" eram a mesma pasta; no Linux as duas funções usam a mesma "temp/".
std::string DiretorioTemp();

// Acrescenta a barra final, salvo em texto vazio ou que já termina em "/" ou "\".
std::string IncluirBarra(const std::string& pasta);
// Apaga os arquivos comuns da pasta (não subpastas nem ocultos); não faz nada na raiz.
void ApagarArquivosDiretorio(const std::string& pasta);

// Lança ErroSistema("Arquivo INI não encontrado!") se o arquivo não existe;
// devolve o valor da chave na seção, ou vazio.
std::string LerIni(const std::string& arquivo, const std::string& secao, const std::string& chave);
// Grava chave=valor na seção (criada no fim quando falta), mantendo as outras linhas como
// estão; o arquivo é trocado por inteiro. Falha: ErroSistema("Não foi possível gravar o arquivo ...").
void EscreverIni(const std::string& arquivo, const std::string& secao, const std::string& chave,
                 const std::string& valor);

// Valida a inscrição estadual pelo validador ligado ao programa; falhas do validador
// aparecem como aviso terminado em "Contacte o suporte da DRU!" e dão falso.
bool ConsisteIE(const std::string& inscricao, const std::string& uf, Interacao* ui = nullptr);
std::string FormatarIE(const std::string& ie13);  // "123.456789.0123"

std::string CompletarDireita(const std::string& texto, const std::string& preenchimento, int largura);
std::string CompletarEsquerda(const std::string& texto, const std::string& preenchimento, int largura);

int AnoDaData(const std::chrono::year_month_day& data);
int MesDaData(const std::chrono::year_month_day& data);
int UltimoDiaMes(int mes, int ano);
bool SoNumeros(const std::string& texto);
bool DataValida(const std::string& texto);  // "dd/mm/aaaa", depois de 01/01/1950
bool HoraValida(const std::string& texto);  // "hh:mm:ss"
std::string NomeMes(int mes);
// Chave de ordem alfabética do português: maiúsculas sem acentos ("Água" junto de "AGUA").
std::string ChaveOrdemAlfabetica(const std::string& texto);               // "Janeiro".."Dezembro", vazio fora de 1..12

// Busca em profundidade pelo nome de um nó XML, como descrita em ProcurarNo.
_xmlNode* ProcurarNo(const std::string& nome, _xmlNode* no);
std::string TextoNo(const std::string& nome, _xmlNode* no);

}  // namespace kov
