<?xml version="1.0" encoding="UTF-8"?>
<!-- The same mapping as regeln.xb, for the comparison run with xsltproc. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="buch"><html><body><xsl:text>&#10;</xsl:text><xsl:apply-templates/></body></html><xsl:text>&#10;</xsl:text></xsl:template>
  <xsl:template match="kapitel/titel"><h2><xsl:number count="kapitel"/><xsl:text> </xsl:text><xsl:apply-templates/></h2></xsl:template>
  <xsl:template match="abschnitt/titel"><h3><xsl:apply-templates/></h3></xsl:template>
  <xsl:template match="titel"><h1><xsl:apply-templates/></h1></xsl:template>
  <xsl:template match="kapitel[@typ = 'anhang']"><section class="anhang"><xsl:apply-templates/></section></xsl:template>
  <xsl:template match="kapitel"><section class="kapitel"><xsl:apply-templates/></section></xsl:template>
  <xsl:template match="abschnitt"><section><xsl:apply-templates/></section></xsl:template>
  <xsl:template match="absatz[@typ = 'hinweis']"><p class="hinweis"><xsl:apply-templates/></p></xsl:template>
  <xsl:template match="absatz"><p><xsl:apply-templates/></p></xsl:template>
  <xsl:template match="hervor[@art = 'fett']"><b><xsl:apply-templates/></b></xsl:template>
  <xsl:template match="hervor"><i><xsl:apply-templates/></i></xsl:template>
  <xsl:template match="fussnote"><span class="fussnote">[<xsl:number count="fussnote"/><xsl:text> </xsl:text><xsl:apply-templates/>]</span></xsl:template>
  <xsl:template match="tabelle"><table><xsl:apply-templates/></table></xsl:template>
  <xsl:template match="zeile"><tr><xsl:apply-templates/></tr></xsl:template>
  <xsl:template match="zeile[not(preceding-sibling::*)]/zelle"><th><xsl:apply-templates/></th></xsl:template>
  <xsl:template match="zelle"><td><xsl:apply-templates/></td></xsl:template>
  <xsl:template match="liste"><ul><xsl:apply-templates/></ul></xsl:template>
  <xsl:template match="liste/punkt"><li><xsl:number count="punkt"/>. <xsl:apply-templates/></li></xsl:template>
  <xsl:template match="punkt"><li><xsl:apply-templates/></li></xsl:template>
</xsl:stylesheet>
