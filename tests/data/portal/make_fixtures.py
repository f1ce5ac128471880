#!/usr/bin/env python3
"""Writes the portal fixture pages: code page 949 bytes with CR LF line
breaks, as the portals served them. The HTML bodies are written the way the
browser serialises a body (upper-case tags, attribute values quoted only
where needed, href and src always quoted); the .txt files are the rendered
body text. Run from this folder; the outputs are committed."""

import pathlib

HERE = pathlib.Path(__file__).parent


def write(name, text):
    data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp949")
    (HERE / name).write_bytes(data)


def page(body):
    return ("<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; charset=euc-kr\">"
            "<TITLE>movie</TITLE></HEAD>\n<BODY>" + body + "</BODY></HTML>\n")


# ---------------------------------------------------------------- portal 0
write("portal0.html", page("""<DIV id=poster><IMG src="http://imgmovie.naver.com/i/poster_s.gif" align=absMiddle><A class=blue2 href="javascript:iwopen('http://imgmovie.naver.com/mdi/mit110/0361/C6122-00.jpg', 'pop',600)">포스터 크게보기</A></DIV>
"""))
write("portal0.txt", """영화 홈 > 한핏줄 영화
올드보이 (Oldboy, 2003)
한국 | 스릴러 | 120분 | 2003.11.21 개봉
포스터 크게보기
감독: 박찬욱
출연: 최민식, 유지태, 강혜정
국내 등급: 18세관람가
네티즌 평점 8.5/10
현재 상영작 랭킹 12위
공식 홈페이지: 국내 www.oldboy.co.kr
예고편 보기
네티즌 제보 15년 동안 이유도 모른 채 갇혀 지낸 남자의 복수극.
이 영화에 대한 네티즌&전문가 평점
""")
write("portal0-commentary.html", """<html><body><table><tr><td>
<img src="http://imgmovie.naver.com/m2k4/bi/m_tit_09.gif" height="15"><p>영화해설 복수는 나의 것에 이은 박찬욱 감독의 복수 3부작 두 번째 영화.&nbsp;&lt;칸&gt; 심사위원대상 수상작.
<font color=#777777>written by 가나다</font></p>
</td></tr></table></body></html>
""")

# ---------------------------------------------------------------- portal 1
write("portal1.html", page("""<!-- 메인 컨텐츠 -->
<TABLE><TBODY><TR><TD><SPAN class=title>올드보이</SPAN> (2003, Oldboy)
<DIV id=lblMovieDetailTop>120분 / 18세 관람가 / 2003.11.21 개봉</DIV></TD></TR></TBODY></TABLE>
<!-- 상단 영화정보 -->
<TABLE><TBODY><TR><TD><A href="javascript:viewGallery(1234)"><IMG src="http://image.cine21.com/poster/2003/1234s.jpg" width=150></A></TD></TR>
<TR><TD>제작사 : 에그필름 <A href="http://www.oldboy.co.kr" target=_blank>공식홈페이지</A></TD></TR>
<TR><TD><IMG height=11 src="/img/btn_moreimg.gif" width=71><BR>15년 동안 이유도 모른 채 갇혀 지낸 남자의 복수극.</TD><TD width=10 background=/img/txt_right.gif></TD></TR></TBODY></TABLE>
"""))
write("portal1.txt", """올드보이 (2003, Oldboy)
120분 / 18세 관람가 / 2003.11.21 개봉
제작사 : 에그필름 공식홈페이지
장르 스릴러 국가 한국 감독 박찬욱 출연 최민식, 유지태 각본 황조윤
20자평 평점 : 8.9/10 (참여 1234명)
네티즌 영화평
""")
write("portal1-commentary.html", "<html><body><table cellpadding=\"4\">\t\t<tr><td class=\"content\"><b>"
      "영화노트</b><br>복수 3부작의 두 번째 이야기.&nbsp;&lt;칸&gt; 수상.</td>"
      "<td width=\"10\" background=\"/img/txt_right.gif\"></td></tr></table></body></html>\n")

# ---------------------------------------------------------------- portal 2 (IMDb)
write("portal2.html", page("""<TABLE><TBODY><TR><TD><A href="photogallery" name=poster><IMG alt=poster src="http://ia.imdb.com/media/imdb/01/I/25/65/31m.jpg" width=99></A></TD></TR></TBODY></TABLE>
<DIV>Directed by <A href="/name/nm0661/">Chan-wook Park</A></DIV>
<TABLE class=cast><TBODY><TR><TD colSpan=3>Cast overview, first billed only: 10</TD></TR>
<TR><TD>Min-sik Choi</TD><TD>....</TD><TD>Dae-su Oh</TD></TR>
<TR><TD>Ji-tae Yu</TD><TD>....</TD><TD>Woo-jin Lee</TD></TR>
<TR><TD colSpan=3>  <A href="fullcredits">(more)</A></TD></TR></TBODY></TABLE>
<DIV>Also Known As: Old Boy</DIV>
"""))
write("portal2.txt", """Oldboy (2003)
User comments - submit a comment
Oldboy (2003)
Directed by
Chan-wook Park
Writing credits
Garon Tsuchiya (story)
Genre: Drama / Mystery / Thriller (more)
Tagline: 15 years of imprisonment, five days of vengeance.
User Rating: 8.4/10 (12,345 votes)
Runtime: 120 min
Country: South Korea
Language: Korean
MPAA: Rated R for strong violence
""")

# ---------------------------------------------------------------- portal 3
write("portal3.html", page("""<TABLE><TBODY>
<TR><TD width=620 background=http://img.maxmovie.com/v1/images/back_movie.jpg colSpan=2><SPAN style="FONT-SIZE: 13pt"><B>올드보이</B></SPAN><BR><SPAN style="FONT-SIZE: 10pt">Oldboy (2003)</SPAN> <A href="javascript:goBookmark(4321)">북마크</A></TD></TR>
<TR><TD background=http://img.maxmovie.com/v1/images/back_movie.jpg colSpan=2 height=5></TD></TR>
</TBODY></TABLE>
<P style="MARGIN-LEFT: 20px">2003.11.21 개봉 / 18세 관람가 / 120분 / 스릴러 / 한국</P><P style="MARGIN-RIGHT: 10px">정보</P>
<INPUT type=hidden value=movie_rank@4321@@>
<!-- 정보란 -->
<DIV>15년 동안 이유도 모른 채 갇혀 지낸 남자의 복수극.</DIV>
<!-- 정보란 끝 -->
<DIV>네티즌 평점 <SPAN class=star>★★★★☆</SPAN> <A href="JavaScript:goVote(4321)">투표하기</A></DIV>
<DIV>·&nbsp;감&nbsp;&nbsp;독 박찬욱</DIV>
<DIV>·&nbsp;출&nbsp;&nbsp;연 최민식, 유지태</DIV>
<DIV>·&nbsp;공식홈페이지 http://www.oldboy.co.kr (국내)</DIV>
"""))
write("portal3.txt", """올드보이
Oldboy (2003) 북마크
2003.11.21 개봉 / 18세 관람가 / 120분 / 스릴러 / 한국

정보

15년 동안 이유도 모른 채 갇혀 지낸 남자의 복수극.
네티즌 평점 ★★★★☆ 투표하기
· 감  독 박찬욱
· 출  연 최민식, 유지태
· 공식홈페이지 http://www.oldboy.co.kr (국내)
""")
write("portal3-commentary.html", """<html><body><table>
<tr><td><p align="justify">박찬욱 감독의 복수 3부작 가운데 두 번째.&nbsp;&lt;칸&gt; 심사위원대상.<br></p></td></tr>
</table></body></html>
""")

# ---------------------------------------------------------------- the serialiser's own page
write("serialise.html", """<html><head><meta charset="euc-kr"><title>t</title></head>
<body><table cellpadding="4" cellspacing=0><tr><td colspan="2" background='/img/txt_right.gif' width="10">셀&nbsp;하나 &amp; 둘</td></tr></table>
<span class="title">제목</span><a href="photogallery" name="poster"><img src="/p.jpg" alt="a b"></a>
<p style="font-size:13pt;margin-left:20px">글</p><!-- 정보란 --><br><td nowrap>x</td><input value='say "hi"'>
<script>var a = 1 < 2 && 3 > 2;</script></body></html>
""")
